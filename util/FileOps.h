// Testing for and deleting files.
#pragma once

#include <string>

// 1 when path names an existing file (a directory is no file), else 0.
int IsExistingFile(const std::string& path);

// Deletes the file: 1 on success, 0 on failure.
int RemoveFile(const std::string& path);
