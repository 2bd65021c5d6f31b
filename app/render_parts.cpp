// app/render_parts.cpp - the command-line modes of parts: one part, the list of the missing
// ones, and the join.
#include "app/render_parts.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int ExitUsage = 2;
constexpr int64_t LargestShareRecord = 4096;
constexpr int ExitCancelled = 130;

int Say(int code, const std::string& text) {
    std::fprintf(stderr, "zentrix-render: %s\n", text.c_str());
    return code;
}

// Whole decimal text within [lo, hi].
bool ParseIndex(const char* s, int32_t lo, int32_t hi, int32_t* out) {
    if (!*s || std::strlen(s) > 9) return false;
    int64_t v = 0;
    for (; *s; ++s) {
        if (*s < '0' || *s > '9') return false;
        v = v * 10 + (*s - '0');
    }
    if (v < lo || v > hi) return false;
    *out = int32_t(v);
    return true;
}

std::string EngineNames() {
    std::string names;
    for (const EngineIndexVariable& v : EngineIndexVariables) names += names.empty() ? v.Name : std::string(", ") + v.Name;
    return names;
}
}  // namespace

bool IsPartsOption(const char* name) {
    return !std::strcmp(name, "--part") || !std::strcmp(name, "--missing") || !std::strcmp(name, "--join");
}

bool ParsePartsOption(const char* name, const char* value, PartsOptions* o, std::string* error) {
    if (o->Mode != PartsMode::None) {
        *error = "give one of --part, --missing and --join";
        return false;
    }
    const char* count = value;
    if (!std::strcmp(name, "--part")) {
        const char* slash = std::strchr(value, '/');
        const std::string index(value, slash ? size_t(slash - value) : 0);
        o->FromEngine = index == "env";
        if (!slash || (!o->FromEngine && !ParseIndex(index.c_str(), 0, MostParts - 1, &o->Index))) {
            *error = "bad part \"" + std::string(value) + "\": give I/N (I from 0 to N - 1) or env/N";
            return false;
        }
        count = slash + 1;
        o->Mode = PartsMode::Part;
    } else {
        o->Mode = name[2] == 'm' ? PartsMode::Missing : PartsMode::Join;
    }
    if (!ParseIndex(count, 1, MostParts, &o->Count)) {
        *error = "bad part count \"" + std::string(count) + "\": give 1 to 65536";
        return false;
    }
    if (o->Mode == PartsMode::Part && !o->FromEngine && o->Index >= o->Count) {
        *error = "part " + std::to_string(o->Index) + " is out of range: give 0 to " + std::to_string(o->Count - 1);
        return false;
    }
    return true;
}

bool EngineIndex(EnvironmentLookup lookup, int32_t* index, std::string* error) {
    const char* found = nullptr;
    for (const EngineIndexVariable& v : EngineIndexVariables) {
        const char* text = lookup(v.Name);
        if (!text || !*text) continue;
        int32_t i = 0;
        if (!ParseIndex(text, v.First, MostParts - 1 + v.First, &i)) {
            *error = std::string(v.Name) + "=" + text + " is no part index";
            return false;
        }
        if (found && i - v.First != *index) {
            *error = std::string("the job engines disagree: ") + found + "=" + lookup(found) + " and " + v.Name + "=" +
                     text + "; unset one";
            return false;
        }
        found = v.Name;
        *index = i - v.First;
    }
    if (!found) *error = "--part env/N needs the index from a job engine, and none of " + EngineNames() + " is set";
    return found != nullptr;
}

int32_t PartIndex(const PartsOptions& o, EnvironmentLookup lookup, std::string* why) {
    int32_t index = o.Index;
    if (o.FromEngine && !EngineIndex(lookup, &index, why)) return -1;
    if (index < o.Count) return index;
    *why = "part " + std::to_string(index) + " is out of range: give 0 to " + std::to_string(o.Count - 1);
    return -1;
}

int RunPictureParts(const PartsOptions& o, const PartsJob& job, EnvironmentLookup lookup) {
    if (o.Count > job.Height)
        return Say(ExitUsage, std::to_string(o.Count) + " parts of " + std::to_string(job.Height) +
                                  " rows: give at most one part per row");
    const PartPlan plan{PartsFolderOf(job.Out), job.Identity, job.Width, job.Height, o.Count, job.BandRows};
    std::string why;
    if (o.Mode == PartsMode::Missing) {
        std::string list;
        for (int32_t i = 0; i < o.Count; ++i) {
            const PartState state = CheckPart(plan, i, &why);
            if (state == PartState::Finished) continue;
            if (state != PartState::Absent) Say(0, why);
            if (!list.empty()) list += ',';
            list += std::to_string(i);
        }
        if (!list.empty()) std::printf("%s\n", list.c_str());
        return list.empty() ? 0 : 1;
    }
    if (o.Mode == PartsMode::Join) {
        const PlatResult r = JoinParts(plan, job.Out);
        if (r.Code == Outcome::Cancelled) return Say(ExitCancelled, "cancelled: nothing written");
        if (!r) return Say(1, "cannot join \"" + std::string(job.Out) + "\": " + r.Reason + "; nothing written");
        std::printf("%s: %d x %d joined from %d parts\n", job.Out, int(job.Width), int(job.Height), int(o.Count));
        return 0;
    }
    const int32_t index = PartIndex(o, lookup, &why);
    if (index < 0) return Say(ExitUsage, why);
    const std::string file = PartFileName(plan, index);
    if (CheckPart(plan, index, &why) == PartState::Finished) {
        std::printf("%s: finished already\n", file.c_str());
        return 0;
    }
    const PlatResult r = WritePart(plan, index, job.Rows);
    if (r.Code == Outcome::Cancelled) return Say(ExitCancelled, "cancelled: nothing written");
    if (!r) return Say(1, "cannot write \"" + file + "\": " + r.Reason);
    const PartRows rows = RowsOfPart(job.Height, o.Count, index);
    std::printf("%s: rows %d to %d of %d x %d\n", file.c_str(), int(rows.First), int(rows.First + rows.Rows - 1),
                int(job.Width), int(job.Height));
    return 0;
}

namespace {
// A share is finished when its record names this command and every frame of it is there
// (each frame file is written whole or not at all).
bool ShareFinished(ZoomVideoPlan plan, int32_t index, int32_t count, const std::string& folder,
                   const std::string& identity) {
    char record[LargestShareRecord];
    const PartPlan names{PartsFolderOf(plan.VideoPath ? plan.VideoPath : plan.FramesFolder), identity, 0, 0, count, 0};
    const int64_t n = PlatReadFile(PartFileName(names, index).c_str(), record, sizeof record);
    if (n < 0 || std::string(record, size_t(n)) != identity) return false;
    plan.ShareIndex = index;
    plan.ShareCount = count;
    const KeyframeRange share = KeyframesOfShare(plan);
    char frame[PlatPathCapacity];
    for (int32_t f = share.FirstFrame; f < share.EndFrame; ++f) {
        FrameFileName(folder.c_str(), f, frame, sizeof frame);
        if (!PlatFileExists(frame)) return false;
    }
    return true;
}
}  // namespace

int RunVideoParts(const PartsOptions& o, ZoomVideoPlan plan, const std::string& identity, EnvironmentLookup lookup) {
    const char* out = plan.VideoPath ? plan.VideoPath : plan.FramesFolder;
    const std::string parts = PartsFolderOf(out), folder = plan.VideoPath ? parts : plan.FramesFolder;
    const PartPlan names{parts, identity, 0, 0, o.Count, 0};
    std::string why, missing;
    if (o.Mode != PartsMode::Part) {
        for (int32_t i = 0; i < o.Count; ++i) {
            if (ShareFinished(plan, i, o.Count, folder, identity)) continue;
            if (!missing.empty()) missing += ',';
            missing += std::to_string(i);
        }
        if (o.Mode == PartsMode::Missing) {
            if (!missing.empty()) std::printf("%s\n", missing.c_str());
            return missing.empty() ? 0 : 1;
        }
        if (!missing.empty()) return Say(1, "cannot join: parts missing or made by another command: " + missing + "; nothing written");
        if (!plan.VideoPath) {
            std::printf("%s: the frames of all %d parts are there\n", out, int(o.Count));
            return 0;
        }
        const PlatResult encoded = EncodeFrameFiles(plan, folder.c_str());
        if (!encoded) return Say(1, "cannot encode \"" + std::string(out) + "\": " + encoded.Reason);
        std::printf("%s: encoded from the frames of %d parts\n", out, int(o.Count));
        return 0;
    }
    const int32_t index = PartIndex(o, lookup, &why);
    if (index < 0) return Say(ExitUsage, why);
    const std::string record = PartFileName(names, index);
    if (ShareFinished(plan, index, o.Count, folder, identity)) {
        std::printf("%s: finished already\n", record.c_str());
        return 0;
    }
    if (const PlatResult made = PlatCreateFolder(parts.c_str()); !made)
        return Say(1, "cannot write into \"" + parts + "\": " + made.Reason);
    plan.ShareIndex = index;
    plan.ShareCount = o.Count;
    plan.FramesFolder = folder.c_str();
    plan.VideoPath = nullptr;
    PlatResult r = MakeZoomVideo(plan);
    if (r.Code == Outcome::Cancelled) return Say(ExitCancelled, "cancelled");
    if (r) r = PlatWriteFile(record.c_str(), identity.data(), int64_t(identity.size()));
    if (!r)
        return Say(1, "cannot write the frames of part " + std::to_string(index) + " into \"" + folder + "\": " + r.Reason);
    const KeyframeRange share = KeyframesOfShare(plan);
    std::printf("%s: frames %d to %d\n", record.c_str(), int(share.FirstFrame), int(share.EndFrame - 1));
    return 0;
}
