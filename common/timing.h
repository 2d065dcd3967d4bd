#pragma once

namespace vantor {

// How often the recorder looks for a finished game's result log.
inline constexpr int kTickMs = 3000;

// How long a program waits for the other to release the data folder, which is held for one
// game's merge or one page at most.
// A tick waits less than a tick: a busy folder leaves the log where it is for the next tick.
inline constexpr int kRecordLockWaitMs = 2000;
// The live stats page is not tried again, so it waits longer; the window's events are pumped.
inline constexpr int kLiveStatsLockWaitMs = 5000;
// The utilities wait with a person at the window: long enough to outlast a merge into a large
// stats file on a busy machine, short enough not to hang.
inline constexpr int kUtilitiesLockWaitMs = 30000;

// How long a writer of the game history waits for another one; a reader never waits.
inline constexpr int kHistoryBusyWaitMs = 3000;
// The longest one query of the game history may run, nested queries included: far above what
// our own tables take, it stops a crafted database that would never answer.
inline constexpr int kHistoryQueryLimitMs = 60000;

// A webhook's POST: one attempt ends after this, answered or not.
inline constexpr int kWebhookTimeoutMs = 10000;
// Attempts of one message; between them the wait doubles from kWebhookBackoffMs.
inline constexpr int kWebhookAttempts = 3;
inline constexpr int kWebhookBackoffMs = 2000;
// A "Retry-After" longer than this gives the message up instead of holding its queue.
inline constexpr int kWebhookLongestRetryAfterMs = 60000;

} // namespace vantor
