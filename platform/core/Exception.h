// The root class and the exception classes every layer raises.
#pragma once
#include <stdexcept>
#include <string>

// Root of the class library's object tree.
class TObject
{
public:
    virtual ~TObject() = default;
};

// General exception with a user-readable message (UTF-8).
class Exception : public std::runtime_error
{
public:
    explicit Exception(const std::string& msg) : std::runtime_error(msg) {}
    std::string Message() const { return what(); }
};

// Silent exception: ends an operation without a message box.
class EAbort : public Exception
{
public:
    explicit EAbort(const std::string& msg = "Operation aborted") : Exception(msg) {}
};

class EConvertError : public Exception { public: using Exception::Exception; };
class EOutOfResources : public Exception { public: using Exception::Exception; };
