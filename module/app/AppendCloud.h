// Adding a cloud entity for a cloud file to the drawing, as the attach, crop and fetch
// commands do.
#pragma once
#include <string>

// Appends a new cloud entity naming the file (no image loaded yet) to model space of the
// working database, with the database's defaults and the user's default class mask.
// False, with nothing added and nothing left open, when model space cannot be opened for
// write or the append fails.
bool AppendCloudEntity(const std::wstring& path);
