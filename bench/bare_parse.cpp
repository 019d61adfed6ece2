// The floor the core benchmark measures nx-ipar against: one pugixml load of the file with the
// default options plus comments, and nothing else.
#include <cstdio>
#include <pugixml.hpp>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bare_parse FILE\n");
    return 2;
  }
  pugi::xml_document doc;
  pugi::xml_parse_result result =
      doc.load_file(argv[1], pugi::parse_default | pugi::parse_comments);
  if (!result) {
    std::fprintf(stderr, "%s: %s at offset %td\n", argv[1], result.description(), result.offset);
    return 1;
  }
  return 0;
}
