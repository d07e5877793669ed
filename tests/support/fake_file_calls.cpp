// The in-memory file primitives of fake_file_calls.h: regular files only, no links, no
// unnamed files (as on Windows), each cued call failing the way it was told.
#include "tests/support/fake_file_calls.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <set>

namespace FakeFiles {

std::map<std::string, std::vector<uint8_t>> Files;

namespace {

struct Cue {
    int times = 0;
    Failure failure = Failure::Failed;
};

std::array<Cue, static_cast<size_t>(Call::Count)> Cues;
std::array<int, static_cast<size_t>(Call::Count)> Counts;
// Open files: handle -> path, and where reading has got to.
std::map<FileHandle, std::string> OpenFiles;
std::map<FileHandle, size_t> ReadOffsets;
// The files opened by CreateNewFile, whose closing is what Call::Close makes fail.
std::set<FileHandle> MadeFiles;
FileHandle NextHandle = 3;

// Counts the call and says how it fails, if it does.
bool Fails(Call call, Failure& failure) {
    ++Counts[static_cast<size_t>(call)];
    Cue& cue = Cues[static_cast<size_t>(call)];
    if (cue.times == 0) {
        return false;
    }
    --cue.times;
    failure = cue.failure;
    return true;
}

bool Fails(Call call) {
    Failure ignored = Failure::Failed;
    return Fails(call, ignored);
}

bool Exists(const char* path) {
    return Files.count(path) != 0;
}

} // namespace

void Reset() {
    Files.clear();
    OpenFiles.clear();
    ReadOffsets.clear();
    MadeFiles.clear();
    Cues = {};
    Counts = {};
}

void FailNext(Call call, int times, Failure failure) {
    Cues[static_cast<size_t>(call)] = {times, failure};
}

int CallsOf(Call call) {
    return Counts[static_cast<size_t>(call)];
}

std::vector<std::string> Paths() {
    std::vector<std::string> paths;
    for (const auto& [path, bytes] : Files) {
        paths.push_back(path);
    }
    return paths;
}

} // namespace FakeFiles

using namespace FakeFiles;

PathKind LookAtPath(const char* path) {
    return Exists(path) ? PathKind::RegularFile : PathKind::Missing;
}

bool ResolveLinks(const char* path, std::string& finalPath) {
    finalPath = path;
    return Exists(path);
}

FileHandle OpenRegularFileForReading(const char* path) {
    if (!Exists(path)) {
        return NoFile;
    }
    OpenFiles[NextHandle] = path;
    ReadOffsets[NextHandle] = 0;
    return NextHandle++;
}

size_t ReadFromFile(FileHandle file, uint8_t* buffer, size_t capacity) {
    const std::vector<uint8_t>& bytes = Files[OpenFiles.at(file)];
    size_t& offset = ReadOffsets[file];
    const size_t count = std::min(capacity, bytes.size() - std::min(offset, bytes.size()));
    if (count > 0) {
        std::memcpy(buffer, bytes.data() + offset, count);
    }
    offset += count;
    return count;
}

bool IsMarkedReadOnly(const char* path) {
    return !Exists(path);
}

bool MayOpenForWriting(const char* path) {
    return Exists(path);
}

FileHandle CreateUnnamedFileBeside(const char*, bool) {
    return NoFile;
}

NameResult NameUnnamedFile(FileHandle, const char*) {
    return NameResult::Failed;
}

NameResult CreateNewFile(const char* path, bool, FileHandle& file) {
    file = NoFile;
    if (Fails(Call::Create)) {
        return NameResult::Failed;
    }
    if (Exists(path)) {
        return NameResult::NameTaken;
    }
    Files[path];
    OpenFiles[NextHandle] = path;
    MadeFiles.insert(NextHandle);
    file = NextHandle++;
    return NameResult::Done;
}

bool CarryOverAccess(FileHandle, const char*) {
    return true;
}

size_t WriteToFile(FileHandle file, const uint8_t* data, size_t size) {
    if (Fails(Call::Write)) {
        return 0;
    }
    std::vector<uint8_t>& bytes = Files[OpenFiles.at(file)];
    bytes.insert(bytes.end(), data, data + size);
    return size;
}

bool SyncFile(FileHandle) {
    return !Fails(Call::Sync);
}

bool CloseFile(FileHandle file) {
    OpenFiles.erase(file);
    ReadOffsets.erase(file);
    return MadeFiles.erase(file) == 0 || !Fails(Call::Close);
}

bool RemoveFile(const char* path) {
    return !Fails(Call::Remove) && Files.erase(path) == 1;
}

PlaceResult PutFileInPlace(const char* newPath, const char* targetPath, bool) {
    Failure failure = Failure::Failed;
    if (Fails(Call::PutInPlace, failure)) {
        if (failure == Failure::LosesTheTarget) {
            Files.erase(targetPath);
        }
        return failure == Failure::Busy ? PlaceResult::Busy : PlaceResult::Failed;
    }
    if (!Exists(newPath)) {
        return PlaceResult::Failed;
    }
    Files[targetPath] = std::move(Files[newPath]);
    Files.erase(newPath);
    return PlaceResult::Done;
}

bool SyncFolderOf(const char*) {
    return true;
}
