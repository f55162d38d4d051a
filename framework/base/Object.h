#pragma once
// Root of the framework's object hierarchy: the "Sender" of every event and the
// type of opaque data handed between components (for example delayed data a
// watcher thread delivers later). Polymorphic so owners can delete through it.

namespace fw {

class Object {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object() = default;
};

}  // namespace fw
