// What the default file names dialog accepts: a required first name, and a
// name other than the first for each optional redirect that is switched on. Names are otherwise
// taken as typed; nothing tests them against the file system's rules.
#include "settings/def_file_check.h"

#include "catalogue/cache_entry.h"
#include "catalogue/translated_text.h"

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

DefaultFiles TrimDefFiles(const DefaultFiles& typed)
{
    return {TrimDefFileName(typed.DefFile1), TrimDefFileName(typed.DefFile2), TrimDefFileName(typed.DefFile3),
            typed.DefFileFlag2, typed.DefFileFlag3};
}

std::string CheckDefFiles(const DefaultFiles& names)
{
    if (names.DefFile1.empty())
        return Translated("DefFileCheck", "暗黙のﾌｧｲﾙ名(必須)は必ず必要です。\n\nよくわからない場合は、'index.html'と入力してください。");
    if ((names.DefFileFlag2 && names.DefFile2.empty()) || (names.DefFileFlag3 && names.DefFile3.empty()))
        return Translated("DefFileCheck", "暗黙のﾌｧｲﾙ名(ｵﾌﾟｼｮﾝ)を入力してください。\n\n必要ない場合は、ﾁｪｯｸをはずしてください。");
    // A redirect page named like the page it points at would send the
    // browser to itself for ever (also on a disk that ignores case).
    if ((names.DefFileFlag2 && EqualFolded(names.DefFile2, names.DefFile1)) ||
        (names.DefFileFlag3 && EqualFolded(names.DefFile3, names.DefFile1)))
        return Translated("DefFileCheck", "暗黙のﾌｧｲﾙ名(ｵﾌﾟｼｮﾝ)には、暗黙のﾌｧｲﾙ名(必須)と違う名前を入力してください。\n\n"
                                          "同じ名前のﾍﾟｰｼﾞは、自分自身へ移動し続けます。");
    return {};
}

} // namespace larkspool
