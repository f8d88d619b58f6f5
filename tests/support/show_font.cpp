#include "support/show_font.h"

#include <sys/stat.h>

#include <string>

const char* showFontPath() {
    static const std::string path = [] {
        const std::string generated = std::string(MIJOTINE_DATA_DIR) + "/font.ttf";
        struct stat info;
        if (stat(generated.c_str(), &info) == 0) return generated;
        return std::string("/usr/share/fonts/truetype/dejavu/DejaVuSerifCondensed.ttf");
    }();
    return path.c_str();
}
