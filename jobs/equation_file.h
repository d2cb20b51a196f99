// The equation file: the 15 coefficients (red X4, X3, X2, X1, T, then green,
// then blue), one a line, right-aligned in 10 characters, each written in
// the shortest form that reads back to the same double.
#pragma once

constexpr int kEquationValues = 15;

enum class EquationRead {
    Ok,
    Unreadable, // the file cannot be opened or read
    WrongCount, // fewer or more than 15 numbers
    NotNumber,  // text that is not a (finite) number
};

// Replaces the file atomically; 0, or negative when it could not be written
// (the old file then stays as it was).
int WriteEquationFile(const char *path, const double values[kEquationValues]);
// Reads the 15 values; `values` is changed only when the result is Ok.
EquationRead ReadEquationFile(const char *path, double values[kEquationValues]);
