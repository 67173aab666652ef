// PELVARATTACH: puts an existing cloud file into the current drawing as a cloud entity.
#pragma once

void PelvarAttachCommand();
