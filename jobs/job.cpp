#include "job.h"

const char *JobResultName(JobResult result)
{
    switch (result) {
    case JobResult::Ok: return "ok";
    case JobResult::LineFailed: return "line failed";
    case JobResult::FileRefused: return "file refused";
    case JobResult::FileNotWritten: return "file not written";
    case JobResult::VerifyDiffers: return "verify found a difference";
    case JobResult::Cancelled: return "cancelled";
    }
    return "unknown";
}
