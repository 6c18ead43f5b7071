// Root of the suite's long-lived objects: a virtual destructor and nothing else, so that
// owners can hold any of them through a base pointer.
#pragma once

namespace framework {

class Object {
public:
    Object() = default;
    Object(const Object&) = default;
    Object& operator=(const Object&) = default;
    virtual ~Object() = default;
};

} // namespace framework
