#include "catalogue/translated_text.h"

#include <QCoreApplication>

namespace larkspool {

std::string Translated(const char* context, const char* text)
{
    return QCoreApplication::translate(context, text).toStdString();
}

std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values)
{
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const std::size_t index = pattern[i] == '%' && next >= '1' && next <= '9' ? std::size_t(next - '1') : values.size();
        if (index < values.size()) {
            out += values.begin()[index];
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

} // namespace larkspool
