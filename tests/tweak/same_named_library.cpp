// Another library of the home-screen process that happens to export the
// tweak's generic names, loaded before it as the loader's name order may.
#include <atomic>

extern "C" {
std::atomic<bool> enabled{false};
void* helper = nullptr;
}
