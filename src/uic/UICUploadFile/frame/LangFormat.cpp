#include "uic/UICUploadFile/frame/LangFormat.h"

std::string FormatLangText(const std::string& format, const std::vector<std::string>& args) {
    std::string text;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            text += format[i];
            continue;
        }
        const char conversion = format[i + 1];
        if (conversion == '%') {
            text += '%';
            ++i;
        } else if ((conversion == 's' || conversion == 'd') && next < args.size()) {
            text += args[next++];
            ++i;
        } else {
            text += '%';
        }
    }
    return text;
}
