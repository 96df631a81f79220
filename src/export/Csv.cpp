#include "export/Csv.h"

#include <utility>

namespace kalvo {

void appendCsvRecord(std::string& out, std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (const std::string_view field : fields) {
        if (!std::exchange(first, false)) {
            out += ',';
        }
        if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
            out += field;
            continue;
        }
        out += '"';
        for (const char c : field) {
            out += c;
            if (c == '"') {
                out += '"';
            }
        }
        out += '"';
    }
    out += "\r\n";
}

}  // namespace kalvo
