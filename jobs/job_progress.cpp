// Progress of the export and import jobs, counted the same way in both.
#include "jobs/job_progress.h"

#include "catalogue/translated_text.h"

namespace larkspool {

int ProgressPosition(std::size_t i, std::size_t n)
{
    return n == 0 ? 0 : int((i * 100 + 100) / n);
}

std::string RemainingCountText(std::size_t remaining)
{
    return FillIn(Translated("JobProgress", "あと %1 個"), {std::to_string(remaining)});
}

} // namespace larkspool
