// app/render_parts.h - zentrix-render's parts: --part I/N (or env/N, the index from a job
// engine), --missing N and --join N, for pictures and for a zoom video's frames.
#pragma once
#include <cstdint>
#include <string>
#include "files/parts.h"
#include "files/zoom_video.h"

enum class PartsMode : uint8_t { None, Part, Missing, Join };

struct PartsOptions {
    PartsMode Mode = PartsMode::None;
    int32_t   Count = 0;          // N
    int32_t   Index = 0;          // I, unless FromEngine
    bool      FromEngine = false;   // --part env/N
};

// The job engines' index variables, in the order they are read, and what each counts from.
struct EngineIndexVariable {
    const char* Name;
    int32_t     First;   // the index of the first task
};
constexpr EngineIndexVariable EngineIndexVariables[] = {
    {"SLURM_ARRAY_TASK_ID", 0},
    {"JOB_COMPLETION_INDEX", 0},         // a Kubernetes Indexed Job
    {"AWS_BATCH_JOB_ARRAY_INDEX", 0},
    {"PARALLEL_SEQ", 1},                 // GNU Parallel's job sequence number
};

constexpr int32_t MostParts = 65536;   // no more parts than rows of the largest picture

bool IsPartsOption(const char* name);   // --part, --missing or --join
// Reads one of them; false, with the reason, for a bad value or a second one.
bool ParsePartsOption(const char* name, const char* value, PartsOptions* o, std::string* error);

using EnvironmentLookup = const char* (*)(const char* name);   // null when unset
// The part index the engine gives this task: from the one variable that is set (several may
// be set when they agree). False, with a message naming them, when none is, or they disagree,
// or a value is no index.
bool EngineIndex(EnvironmentLookup lookup, int32_t* index, std::string* error);

struct PartsJob {
    const char*   Out;          // the picture file, or the video file or frames folder
    int32_t       Width, Height;
    std::string   Identity;     // PartIdentity of the command
    int32_t       BandRows;
    PartRowSource Rows;
};
// Runs the mode the options ask for; returns the exit code.
int RunPictureParts(const PartsOptions& o, const PartsJob& job, EnvironmentLookup lookup);
// The same for a zoom video: a part makes the frames of its share of the keyframes, into the
// frames folder (or, for a video file, into its parts folder); the join checks them all and,
// for a video file, encodes them. `identity` names the command, as for pictures.
int RunVideoParts(const PartsOptions& o, ZoomVideoPlan plan, const std::string& identity, EnvironmentLookup lookup);
