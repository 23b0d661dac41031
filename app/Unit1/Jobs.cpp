// The job list: adding files, removing, moving, renaming and clearing jobs.
// Until these are built the commands do nothing.
#include "app/Unit1.h"

void TForm1::AddOneFile() {}
void TForm1::AddSeveralFiles() {}
void TForm1::AddFolder() {}
void TForm1::RemoveJob() {}
void TForm1::ClearJobs() {}
void TForm1::MoveJobUp() {}
void TForm1::MoveJobDown() {}
void TForm1::StartRename() {}
