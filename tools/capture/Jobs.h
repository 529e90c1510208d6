// A capture split by frame index: the program re-run as N processes, each
// rendering one range (--segment K/N) into a folder of the capture's own,
// and the finished segment videos joined into one, their pictures copied and
// the music encoded once over the whole length. A failed job stops the
// others and leaves no joined file. Depends on Options.h, Schedule.h,
// VideoPipe.h and PartialFiles.h.
#pragma once

#include "Options.h"
#include "Schedule.h"

#include <csignal>
#include <cstddef>
#include <string>
#include <vector>

namespace capture
{

// Runs options.jobs copies of this program over argv's arguments and joins
// their videos into options.videoFile through `partial`. Returns the exit
// code; on failure error names the range that failed.
int RunJobs(const std::vector<std::string>& arguments, const Options& options,
            const Schedule& schedule, const std::string& music, const std::string& partial,
            const volatile std::sig_atomic_t* stop, std::string& error);

// Joins segment videos, in order, into options.videoFile through `partial`,
// the K-th of N holding exactly the frames SegmentRange gives it out of
// `written`; with `check`, each one is verified first. The joined file is
// read back before it takes its name. Returns the exit code: 0, 1, or 130
// when stopped.
int JoinSegments(const Options& options, const std::vector<std::string>& segments,
                 std::size_t written, const std::string& music, const std::string& partial,
                 bool check, std::string& error);

} // namespace capture
