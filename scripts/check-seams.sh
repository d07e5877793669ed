#!/bin/sh
# Fails, naming file and line, on an #include that crosses a seam between the game's libraries:
# a header of a library the includer does not build on, or an outside header in code that is
# meant to build with the C++ standard library alone.
#   scripts/check-seams.sh [ROOT]     ROOT: the source tree (default: this script's tree)
#
# The libraries, low to high, and what each one's files may include:
#   resources                     resources/                        standard library
#   game, texgen, music           itself (music: also resources/)   standard library
#   render                        render/ game/ texgen/             + GL, FreeType, fontconfig,
#                                                                     <windows.h>
#   platform/files (kf_files)     game/ (the primitives' header)    standard library + the
#                                                                     system's file calls
#   platform (the rest)           every library                     anything
# Two kinds of file may reach further than their library: texgen's GL upload
# (texgen/texture_upload.*) includes GL, and the Windows look-up of the resources
# (resources/resource_lookup_win32.cpp) <windows.h>, whose module resources it reads.
# tools/, tests/ and bench/ are not checked: they include what they link, and the build gives
# them no more.
set -eu

root="${1:-$(dirname "$0")/..}"
cd "$root"

folders="resources game texgen music render platform"
for folder in $folders; do
    if [ ! -d "$folder" ]; then
        echo "check-seams: no $folder/ below $root" >&2
        exit 2
    fi
done

# One awk over every source file, named on its standard input (sorted, so that the report
# reads the same on every machine).
# shellcheck disable=SC2086
find $folders -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.c' \
    -o -name '*.inl' \) | LC_ALL=C sort | awk '
BEGIN {
    while ((getline file < "-") > 0) {
        ARGV[ARGC++] = file
    }
    # The C++ standard library (C++20) and the C library headers in both spellings.
    split("algorithm any array atomic barrier bit bitset charconv chrono codecvt compare " \
          "complex concepts condition_variable coroutine deque exception execution expected " \
          "filesystem format forward_list fstream functional future initializer_list iomanip " \
          "ios iosfwd iostream istream iterator latch limits list locale map memory " \
          "memory_resource mutex new numbers numeric optional ostream queue random ranges " \
          "ratio regex scoped_allocator semaphore set shared_mutex source_location span " \
          "sstream stack stdexcept stop_token streambuf string string_view syncstream " \
          "system_error thread tuple type_traits typeindex typeinfo unordered_map " \
          "unordered_set utility valarray variant vector version", cxx, " ")
    for (i in cxx) {
        standard[cxx[i]] = 1
    }
    split("assert ctype errno fenv float inttypes limits locale math setjmp signal stdarg " \
          "stddef stdint stdio stdlib string time uchar wchar wctype", clib, " ")
    for (i in clib) {
        standard["c" clib[i]] = 1
        standard[clib[i] ".h"] = 1
    }

    # The project folders each library may include from.
    mayUse["resources"] = " resources "
    mayUse["game"] = " game "
    mayUse["texgen"] = " texgen "
    mayUse["music"] = " music resources "
    mayUse["render"] = " render game texgen "
    mayUse["platform"] = " platform render game texgen music resources "
    mayUse["platform/files"] = " game "
    project = " resources game texgen music render platform tools tests bench "

    failures = 0
}

function fail(why) {
    printf "%s:%d: %s\n", FILENAME, FNR, why
    failures++
}

function isGraphics(header) {
    return header ~ /^GL\// || header == "windows.h"
}

# The headers of the POSIX and Windows file calls.
function isFileSystem(header) {
    return header == "fcntl.h" || header == "unistd.h" || header ~ /^sys\/(stat|types)\.h$/ ||
           header == "windows.h"
}

function isFont(header) {
    return header == "ft2build.h" || header ~ /^freetype\// || header ~ /^fontconfig\//
}

# May a file of this library include this outside (non-project) header?
function outsideAllowed(library, file, header) {
    if (header in standard || library == "platform") {
        return 1
    }
    if (library == "render") {
        return isGraphics(header) || isFont(header)
    }
    if (library == "platform/files") {
        return isFileSystem(header)
    }
    if (file ~ /^texgen\/texture_upload\./) {
        return isGraphics(header)
    }
    if (file == "resources/resource_lookup_win32.cpp") {
        return header == "windows.h"
    }
    return 0
}

function besideIncluder(file, name,    path, line, found) {
    path = file
    sub(/[^\/]*$/, "", path)
    path = path name
    found = (getline line < path) >= 0
    close(path)
    return found
}

/^[ \t]*#[ \t]*include/ {
    library = FILENAME
    if (library ~ /^platform\/files\//) {
        library = "platform/files"
    } else {
        sub(/\/.*/, "", library)
    }
    line = $0
    sub(/^[ \t]*#[ \t]*include[ \t]*/, "", line)

    if (line ~ /^"/) {
        quoted = 1
    } else if (line ~ /^</) {
        quoted = 0
    } else {
        # A computed include: only FreeType spells its headers that way.
        if (!(library == "render" && line ~ /^FT_[A-Z0-9_]+/) && library != "platform") {
            fail("include of a macro (" line "): name the header")
        }
        next
    }
    header = substr(line, 2)
    sub(/[">].*/, "", header)
    written = quoted ? "\"" header "\"" : "<" header ">"

    if (header ~ /(^|\/)\.\.(\/|$)/) {
        fail("includes " written ", a path that climbs out of its folder; name the " \
             "header from the tree root")
        next
    }
    top = header
    sub(/\/.*/, "", top)
    if (index(project, " " top " ") > 0 && index(header, "/") > 0) {
        if (index(mayUse[library], " " top " ") == 0) {
            shown = mayUse[library]
            gsub(/[a-z]+/, "&/", shown)
            fail("includes " written ", a header of " top "/, which " library \
                 "/ does not build on (it may include from" substr(shown, 1, length(shown) - 1) ")")
        }
        next
    }
    if (quoted && index(header, "/") == 0 && besideIncluder(FILENAME, header)) {
        next
    }
    if (!outsideAllowed(library, FILENAME, header)) {
        fail("includes " written ", outside what " library "/ may use" \
             (library == "render" ? " (standard library, GL, FreeType, fontconfig)" \
              : library == "platform/files" ? " (standard library, system file calls)" \
                                            : " (the standard library)"))
    }
}

END {
    if (failures > 0) {
        printf "check-seams: %d include(s) cross a seam\n", failures
        exit 1
    }
}
'
