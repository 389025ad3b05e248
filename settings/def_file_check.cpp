// What the default file names dialog accepts: a required first name, and a
// name other than the first for each optional redirect that is switched on. Names are otherwise
// taken as typed; nothing tests them against the file system's rules.
#include "settings/def_file_check.h"

#include "catalogue/cache_entry.h"

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
    // A redirect page named like the page it points at would send the
    // browser to itself for ever (also on a disk that ignores case).
    if ((names.defFileFlag2 && EqualFolded(names.defFile2, names.defFile1)) ||
        (names.defFileFlag3 && EqualFolded(names.defFile3, names.defFile1)))
        return "暗黙のﾌｧｲﾙ名(ｵﾌﾟｼｮﾝ)には、暗黙のﾌｧｲﾙ名(必須)と違う名前を入力してください。\n\n"
               "同じ名前のﾍﾟｰｼﾞは、自分自身へ移動し続けます。";
    return {};
}

} // namespace larkspool
