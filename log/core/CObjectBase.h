#pragma once

// Root of the log entry types: nothing but a virtual destructor.
class CObjectBase {
public:
    virtual ~CObjectBase() = default;
};
