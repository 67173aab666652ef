// PELVARMIRROR: copies the archive's files over a drawn area into the local mirror folder,
// at full density, so that later fetches there read from disk. Rerunning resumes.
#pragma once

void PelvarMirrorCommand();
