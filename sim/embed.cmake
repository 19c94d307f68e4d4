# Turns the default configuration document into a C++ source file so that the
# simulator carries it inside its binary:  cmake -DIN=xml -DOUT=cpp -P embed.cmake
file(READ "${IN}" text)
string(FIND "${text}" ")kavxml\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${IN} contains the raw string delimiter")
endif()
file(WRITE "${OUT}.tmp"
  "// Generated from sim/default-config.xml by sim/embed.cmake; do not edit.\n"
  "#include \"sim/default_config.h\"\n\n"
  "namespace kav::sim {\n"
  "extern const char kDefaultConfigXml[] = R\"kavxml(${text})kavxml\";\n"
  "}  // namespace kav::sim\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
