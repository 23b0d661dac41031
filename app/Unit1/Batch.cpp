// The batch: start, stop, pause and resume. Until these are built the
// commands do nothing.
#include "app/Unit1.h"

void TForm1::StartBatch() {}
void TForm1::StopBatch() {}
void TForm1::PauseBatch() {}
void TForm1::ResumeBatch() {}
