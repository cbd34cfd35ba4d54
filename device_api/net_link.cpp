// Placeholder until the network link lands.
#include "link.h"
namespace jq {
std::unique_ptr<Link_Backend> Make_Net_Link() { return nullptr; }
}  // namespace jq
