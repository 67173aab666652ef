// PELVARCROP: cuts a rectangle of an attached cloud into a new cloud file beside the source,
// with the drawing's class edits baked in, and offers to attach it in the source's place.
#pragma once

void PelvarCropCommand();
