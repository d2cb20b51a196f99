// What every sensor job shares: how it reports to its caller and how it ends.
//
// A job (identify, read or write the parameter set, the live loop, EEPROM
// backup and restore, the firmware update, the compensation upload) is
// written once, knows the link but no panel, and tells an observer what it
// does. The programs pass an observer that updates their displays and shows
// their pop-ups; the command-line tool passes one that prints.
#pragma once

#include <string>

// How a job ended. The command-line tool maps these to its exit status.
enum class JobResult {
    Ok,
    LineFailed,     // time-out, wrong echo, closed line, boot firmware error
    FileRefused,    // an input file is not one the job accepts, or cannot be read
    FileNotWritten, // an output file could not be written
    VerifyDiffers,  // the read-back differs from what was written
    Cancelled,      // the caller asked to stop; checked between two telegrams
};

// A short English name of a result, for messages and logs.
const char *JobResultName(JobResult result);

// The caller's view of a running job. Every hook has a default that does
// nothing; a job's own observer (e.g. the loader's) derives from this one
// and adds the hooks that only that job has.
struct JobObserver {
    virtual ~JobObserver() = default;
    // A step starts: a status text such as "Reading block 12".
    virtual void Step(const std::string &text) { (void)text; }
    // Progress of a long job: `done` of `total` units ("bytes", "blocks", "rows").
    virtual void Progress(long done, long total, const char *unit)
    {
        (void)done;
        (void)total;
        (void)unit;
    }
    // A failure as the job words it; called once, before the job returns it.
    virtual void Failure(JobResult result, const std::string &text)
    {
        (void)result;
        (void)text;
    }
    // One difference found by a verify step (a row, a parameter, a block).
    virtual void Difference(const std::string &what) { (void)what; }
    // Asked between two telegrams: true ends the job with Cancelled.
    virtual bool Cancelled() { return false; }
};
