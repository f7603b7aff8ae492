#pragma once

// A file too large for the memory left must not stop the scan: the step
// that ran short is abandoned, and the file is kept where no scan picks it up
// again, instead of failing the same way at every tick or start.

#include <QString>

#include <functional>
#include <optional>

namespace conversion {

// Runs `step`. Should memory run out on the way (an allocation refused, or a
// container asked to grow beyond what it can hold), the step is abandoned,
// what it had allocated is freed, and the reason comes back in the
// operator's words; nothing when the step ran to its end. Any other error
// passes on.
std::optional<QString> ran_out_of_memory(const std::function<void()>& step);

}  // namespace conversion
