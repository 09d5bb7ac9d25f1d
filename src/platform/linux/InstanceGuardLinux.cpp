#include "platform/InstanceGuard.h"

// Placeholder: no guard yet.
namespace lh::platform {

InstanceGuard::~InstanceGuard() { Release(); }
bool InstanceGuard::Exists() { return false; }
void InstanceGuard::Acquire() {}
void InstanceGuard::Release() {}
std::string MainWindowServerName() { return "TLinkhiveMainForm"; }

} // namespace lh::platform
