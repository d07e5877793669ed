// An in-memory stand-in for the file primitives under the score store (game/file_calls.h),
// whose calls fail on cue: for the tests of what the store does when the system lets it down
// (a scanner holding a file, a full disk, a replace that half happens). Linked instead of
// kf_files by the programs that use it (library kf_test_file_fakes). Main thread only.
#pragma once

#include "game/file_calls.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace FakeFiles {

// The calls that can be made to fail (Close: of a file made by CreateNewFile).
enum class Call { Create, Write, Sync, Close, Remove, PutInPlace, Count };

// How a call that is cued fails.
enum class Failure {
    Failed,         // it reports a failure and changes nothing
    Busy,           // as a file another program holds: PutInPlace reports Busy, the rest fail
    LosesTheTarget, // PutInPlace only: the target is deleted and then the call fails, as a
                    // replace that breaks halfway would
};

// The files there are, by path, and their bytes.
extern std::map<std::string, std::vector<uint8_t>> Files;

// Empties the file system and forgets every cue and count.
void Reset();

// The next `times` calls of `call` fail as `failure`; the ones after them work again.
void FailNext(Call call, int times, Failure failure = Failure::Failed);

// How many times `call` has been made since the last Reset.
int CallsOf(Call call);

// The paths of the files there are, sorted.
std::vector<std::string> Paths();

} // namespace FakeFiles
