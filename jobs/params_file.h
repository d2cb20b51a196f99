// The parameter file: the 202 words of the parameter packet as text, one
// unsigned decimal number a line, right-aligned in a 10-character field.
#pragma once

#include "telegram.h"

#include <cstdint>

// Replaces the file atomically; 0, or negative when it could not be written
// (the old file then stays as it was).
int WriteParameterFile(const char *path, const uint16_t packet[kParaWords]);
// Fills packet only when the file holds exactly kParaWords numbers from 0 to
// 65535; otherwise false and packet is untouched.
bool ReadParameterFile(const char *path, uint16_t packet[kParaWords]);
// A parameter file as the main program takes it into its variables: read,
// then CopyFileParatoVars (maxcolno limited to 31). False (nothing changed)
// when ReadParameterFile refuses the file.
bool LoadParameterFile(const char *path);
