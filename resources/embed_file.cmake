# Turns one file into a C++ source that defines its bytes as a constant array.
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<identifier> -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR byteCount "${hexLength} / 2")

if(byteCount EQUAL 0)
    set(body "0")
else()
    # Sixteen bytes to a line keeps the generated file readable and the compiler quick.
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
    string(REGEX REPLACE "((0x..,){16})" "\\1\n" body "${body}")
endif()

file(WRITE "${OUTPUT}.tmp"
    "// Generated from ${INPUT} by embed_file.cmake; do not edit.\n"
    "#include <cstddef>\n"
    "#include <cstdint>\n"
    "extern const uint8_t ${SYMBOL}[];\n"
    "extern const size_t ${SYMBOL}_size;\n"
    "alignas(16) const uint8_t ${SYMBOL}[] = {\n${body}\n};\n"
    "const size_t ${SYMBOL}_size = ${byteCount};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
