#ifndef MORVA_ARITH_ERRORS_H
#define MORVA_ARITH_ERRORS_H

// The program's run-time errors. Each carries the exact text the user reads in
// the application's error report. Standard library only: every layer may
// throw and catch these.

#include <stdexcept>
#include <string>

namespace morva {

// Base of every error the program raises on purpose.
class MorvaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ERangeError : public MorvaError {
public:
    ERangeError() : MorvaError("Range check error") {}
};

class EIntOverflow : public MorvaError {
public:
    EIntOverflow() : MorvaError("Integer overflow") {}
};

class EInvalidOp : public MorvaError {
public:
    EInvalidOp() : MorvaError("Invalid floating point operation") {}
};

class EZeroDivide : public MorvaError {
public:
    EZeroDivide() : MorvaError("Floating point division by zero") {}
};

class EOverflow : public MorvaError {
public:
    EOverflow() : MorvaError("Floating point overflow") {}
};

// Text that is not a valid integer; the message quotes the text.
class EConvertError : public MorvaError {
public:
    explicit EConvertError(const std::string &text)
        : MorvaError("'" + text + "' is not a valid integer value") {}
};

} // namespace morva

#endif
