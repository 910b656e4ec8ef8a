# Writes the compiled resource file RES as a C++ source that defines CompiledResources() with the
# same bytes (platform/posix/compiled_resources.h). Run with cmake -DRES=... -DOUT=... -P.
file(READ "${RES}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# One byte "0xNN," per match, twelve to a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n    "
       bytes "${bytes}")
file(WRITE "${OUT}.new"
  "// Made by resources/embed_resources.cmake from the compiled resource script.\n"
  "#include \"platform/posix/compiled_resources.h\"\n\n"
  "namespace kestrava {\nnamespace {\n\n"
  "alignas(4) const std::uint8_t kResources[${size}] = {\n    ${bytes}\n};\n\n"
  "}  // namespace\n\n"
  "std::span<const std::uint8_t> CompiledResources() { return kResources; }\n\n"
  "}  // namespace kestrava\n")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
