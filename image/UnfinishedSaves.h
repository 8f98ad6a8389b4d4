// SPDX-License-Identifier: GPL-3.0-or-later
// The temporary files of saves under way, listed where a handler that ends the program (a POSIX
// signal, a Windows console control event) can find and remove them. Only lock-free atomics and
// fixed arrays: a signal handler may read them at any moment.
#pragma once

#include <atomic>
#include <cstddef>

namespace quarrow::detail {

// A slot is Claimed while its name is being filled in or its file is going away, and Live while the
// file exists under that name: only then may a handler remove it.
enum SlotState : int { kFree = 0, kClaimed = 1, kLive = 2 };

template <typename Char, std::size_t Length>
struct SaveSlot {
  std::atomic<int> state{kFree};
  Char path[Length];
};
static_assert(std::atomic<int>::is_always_lock_free, "read from signal handlers");

// A free slot, or nullptr when every slot is taken: the save then goes on, unlisted.
template <typename Slot, std::size_t Count>
Slot* ClaimSlot(Slot (&slots)[Count]) {
  for (Slot& candidate : slots) {
    int expected = kFree;
    if (candidate.state.compare_exchange_strong(expected, kClaimed)) return &candidate;
  }
  return nullptr;
}

}  // namespace quarrow::detail
