#include "framework/ui/Component.h"

#include <algorithm>

#include "framework/base/Mbcs.h"

namespace fw {

Component::Component(Component* owner) {
  if (owner) InsertComponentInto(owner);
}

Component::~Component() {
  m_destroying = true;
  // Tell everyone who asked, then forget them, so nobody keeps a dangling pointer.
  auto notifies = std::move(m_freeNotifies);
  for (Component* c : notifies) {
    auto& back = c->m_freeNotifies;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    c->Notification(this, Operation::opRemove);
  }
  DestroyComponents();
  RemoveFromOwner();
}

void Component::DestroyComponents() {
  // Last created first, as later components may refer to earlier ones.
  while (!m_components.empty()) {
    std::unique_ptr<Component> c = std::move(m_components.back());
    m_components.pop_back();
    if (!c->Destroying()) c->BeforeDestruction();
    c->m_owner = nullptr;
    Notification(c.get(), Operation::opRemove);
    c.reset();
  }
}

void Component::RemoveFromOwner() {
  if (!m_owner) return;
  Component* owner = m_owner;
  m_owner = nullptr;
  auto& list = owner->m_components;
  auto it = std::find_if(list.begin(), list.end(), [this](const auto& p) { return p.get() == this; });
  if (it != list.end()) {
    it->release();  // we are being destroyed already
    list.erase(it);
  }
  owner->Notification(this, Operation::opRemove);
}

void Component::InsertComponentInto(Component* owner) {
  if (!owner || owner == m_owner) return;
  if (m_owner) {
    auto& list = m_owner->m_components;
    auto it = std::find_if(list.begin(), list.end(), [this](const auto& p) { return p.get() == this; });
    if (it != list.end()) {
      it->release();
      list.erase(it);
    }
  }
  m_owner = owner;
  owner->m_components.emplace_back(this);
  owner->Notification(this, Operation::opInsert);
}

Component* Component::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (const auto& c : m_components)
    if (SameText(c->Name(), name)) return c.get();
  return nullptr;
}

void Component::FreeNotification(Component* other) {
  if (!other || other == this) return;
  if (std::find(m_freeNotifies.begin(), m_freeNotifies.end(), other) == m_freeNotifies.end())
    m_freeNotifies.push_back(other);
  auto& back = other->m_freeNotifies;
  if (std::find(back.begin(), back.end(), this) == back.end()) back.push_back(this);
}

void Component::RemoveFreeNotification(Component* other) {
  if (!other) return;
  m_freeNotifies.erase(std::remove(m_freeNotifies.begin(), m_freeNotifies.end(), other), m_freeNotifies.end());
  auto& back = other->m_freeNotifies;
  back.erase(std::remove(back.begin(), back.end(), this), back.end());
}

void Component::Notification(Component*, Operation) {}

void Component::BeforeDestruction() { m_destroying = true; }

void Free(Component* c) {
  if (!c) return;
  if (!c->Destroying()) c->BeforeDestruction();
  delete c;
}

}  // namespace fw
