// The error kinds the program raises; they never cross a window procedure (the main window's Guard reports them).
#pragma once
#include <stdexcept>
#include <string>

namespace bivane {

// A failed run-time input/output operation, carrying the platform's error code.
class EInOutError : public std::runtime_error {
public:
    explicit EInOutError(int code);
    int Code() const { return code_; }

private:
    int code_;
};

class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFCantCopy : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// "File not found" for 2, ... "I/O error %d" for codes without a text of their own.
std::string IoErrorText(int code);
// The top-level report adds a full stop when the text does not end with one.
std::string WithFullStop(const std::string& text);

}  // namespace bivane
