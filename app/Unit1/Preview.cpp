// The preview panel and its snapshots. Until these are built the buttons do
// nothing.
#include "app/Unit1.h"

void TForm1::OpenPreview() {}
void TForm1::PreviewPlay() {}
void TForm1::PreviewPause() {}
void TForm1::PreviewRewind() {}
void TForm1::PreviewMute() {}
void TForm1::PreviewUnmute() {}
void TForm1::Snapshot() {}
void TForm1::SnapshotMenu() {}
