#pragma once
// Components: objects with an owner that frees them, a name, and removal notices.
#include <memory>
#include <string>
#include <vector>

#include "framework/base/Object.h"

namespace fw {

enum class Operation { opInsert, opRemove };

class Component : public Object {
 public:
  explicit Component(Component* owner = nullptr);
  ~Component() override;

  Component* Owner() const noexcept { return m_owner; }
  const std::string& Name() const noexcept { return m_name; }
  void SetName(const std::string& name) { m_name = name; }

  // Owned components in order of creation.
  int ComponentCount() const noexcept { return static_cast<int>(m_components.size()); }
  Component* Components(int i) const { return m_components.at(static_cast<size_t>(i)).get(); }
  // Owned component with that name (case-insensitive), or null.
  Component* FindComponent(const std::string& name) const;

  // Ask to be told (through Notification) when other is destroyed, also when
  // other belongs to another owner. Both sides forget each other on destruction.
  void FreeNotification(Component* other);
  void RemoveFreeNotification(Component* other);

  // Makes owner (not null) take ownership of an already created component.
  void InsertComponentInto(Component* owner);

  // True once destruction has begun: handlers must not start new work then.
  bool Destroying() const noexcept { return m_destroying; }

  // Called while the object is still whole, just before it is deleted by its
  // owner or by Free(): the place for "on destroy" events, which must see every
  // member of the most derived class alive. Overrides call the base first.
  virtual void BeforeDestruction();

 protected:
  // Called when a component that this one owns or asked about is inserted or
  // is going away. Overrides clear their references to it.
  virtual void Notification(Component* component, Operation operation);
  // Frees the owned components now (last created first), each after its
  // BeforeDestruction.
  void DestroyComponents();

 private:
  void RemoveFromOwner();

  Component* m_owner = nullptr;
  std::string m_name;
  std::vector<std::unique_ptr<Component>> m_components;
  std::vector<Component*> m_freeNotifies;  // not owned: components to tell on destruction
  bool m_destroying = false;
};

// Deletes a component the proper way: BeforeDestruction, then delete. Use this
// (or ComponentPtr) instead of a bare delete.
void Free(Component* c);
struct ComponentDeleter {
  void operator()(Component* c) const { Free(c); }
};
template <typename T>
using ComponentPtr = std::unique_ptr<T, ComponentDeleter>;

// Creates a component owned by owner (owner frees it) and returns a plain,
// non-owning pointer to it.
template <typename T, typename... Args>
T* Make(Component* owner, Args&&... args) {
  return new T(owner, std::forward<Args>(args)...);
}

}  // namespace fw
