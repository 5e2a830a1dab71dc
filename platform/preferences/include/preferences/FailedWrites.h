// Row values the store did not take. The page that asked shows the stored
// value again and goes on; whoever acted for the user (the Settings host,
// answering the request that turned a switch) takes the reasons from here,
// so a failed write is never answered as done.
#pragma once

#include <string>
#include <vector>

namespace preferences {

// Records why a value was not stored. Safe from any thread.
void noteFailedWrite(std::string why);
// The reasons recorded since the last call, oldest first, and forgets them.
std::vector<std::string> takeFailedWrites();

}  // namespace preferences
