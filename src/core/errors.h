// The error kinds the program raises; they never cross a window procedure (the main window's Guard reports them).
#pragma once
#include <stdexcept>
#include <string>

namespace bivane {

// A failed run-time input/output operation, carrying the platform's error code.
class IoError : public std::runtime_error {
public:
    explicit IoError(int code);
    int Code() const { return code_; }

private:
    int code_;
};

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class FileOpenError : public FileError {
public:
    using FileError::FileError;
};
class FileCreateError : public FileError {
public:
    using FileError::FileError;
};
class CopyError : public FileError {
public:
    using FileError::FileError;
};

// "File not found" for 2, ... "I/O error %d" for codes without a text of their own.
std::string IoErrorText(int code);
// The top-level report adds a full stop when the text does not end with one.
std::string WithFullStop(const std::string& text);

}  // namespace bivane
