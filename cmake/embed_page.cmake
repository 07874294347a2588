# Writes the C++ source that holds the window page's markup and script as
# two string constants. Run at build time (cmake -P) with MARKUP, SCRIPT and
# OUTPUT set; the build runs it again whenever either file changes.
file(READ "${MARKUP}" markup)
file(READ "${SCRIPT}" script)
file(WRITE "${OUTPUT}.new"
  "// Written at build time from src/output/window_page.html and window_page.js.\n"
  "#include \"output/window_page.hpp\"\n\n"
  "namespace kestran {\n\n"
  "const std::string_view windowPageMarkup = R\"kestranpage(${markup})kestranpage\";\n\n"
  "const std::string_view windowPageScript = R\"kestranpage(${script})kestranpage\";\n\n"
  "}  // namespace kestran\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
