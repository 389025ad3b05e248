// What the default file names dialog accepts: a required first name, and a
// name for each optional redirect that is switched on. Names are otherwise
// taken as typed; nothing tests them against the file system's rules.
#include "settings/def_file_check.h"

namespace larkspool {

std::string TrimDefFileName(const std::string& text)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

DefFiles TrimDefFiles(const DefFiles& typed)
{
    return {TrimDefFileName(typed.defFile1), TrimDefFileName(typed.defFile2), TrimDefFileName(typed.defFile3),
            typed.defFileFlag2, typed.defFileFlag3};
}

std::string CheckDefFiles(const DefFiles& names)
{
    if (names.defFile1.empty())
        return "暗黙のﾌｧｲﾙ名(必須)は必ず必要です。\n\nよくわからない場合は、'index.html'と入力してください。";
    if ((names.defFileFlag2 && names.defFile2.empty()) || (names.defFileFlag3 && names.defFile3.empty()))
        return "暗黙のﾌｧｲﾙ名(ｵﾌﾟｼｮﾝ)を入力してください。\n\n必要ない場合は、ﾁｪｯｸをはずしてください。";
    return {};
}

} // namespace larkspool
