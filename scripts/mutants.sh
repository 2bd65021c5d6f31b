#!/usr/bin/env bash
# scripts/mutants.sh - plants one plausible fault at a time in a copy of the tree and checks
# that the build or the tests catch it. Slow (minutes per fault on two cores), so it is a
# developer's tool and not part of the suite.
#
#   scripts/mutants.sh            every fault of the table below
#   scripts/mutants.sh 3 17       only faults 3 and 17
#
# The copy and its build stay in build-mutants/ (ZENTRIX_MUTANT_DIR), so a second run
# rebuilds only what changed. A fault whose original text is not found exactly once is
# reported "not applied": the code has moved on and the table wants updating.
set -u
{   # read whole before running, so the table may be edited while a run goes on
root=$(cd "$(dirname "$0")/.." && pwd)
work=${ZENTRIX_MUTANT_DIR:-$root/build-mutants}
src=$work/src
build=$src/build   # beside the sources as in a checkout, so the compiler cache serves both
timeout_s=${ZENTRIX_MUTANT_TIMEOUT:-180}
export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=${CCACHE_BASEDIR:-/work} CCACHE_NOHASHDIR=true

# One fault a line: file @@ original text (found exactly once) @@ replacement @@ targets to
# build, whose *_test programs then run (the others are programs those tests start).
faults=$(cat <<'TABLE'
files/png_rows.cpp @@ pb <= pc ? b : c; @@ pb < pc ? b : c; @@ files_png_test
files/png_rows.cpp @@ pa <= pb && pa <= pc ? a @@ pa <= pb && pa < pc ? a @@ files_png_test
files/png_rows.cpp @@ average[i] = uint8_t(row[i] - (above[i] >> 1)); @@ average[i] = uint8_t(row[i] - above[i]); @@ files_png_test
files/png_rows.cpp @@ pc = Distance(a + b, 2 * c) @@ pc = Distance(a + b, c) @@ files_png_test
files/png_rows.cpp @@ for (size_t i = 0; i < B && i < n; ++i) { @@ for (size_t i = 0; i + 1 < B && i < n; ++i) { @@ files_png_test
files/png_rows.cpp @@ rgb[B * x + 2] = uint8_t(p); @@ rgb[B * x + 2] = uint8_t(p >> 1); @@ files_png_test
render/resample.cpp @@ std::min(uint32_t(v + 0.5f), @@ std::min(uint32_t(v), @@ render_poster_test
render/resample.cpp @@ t.First = std::clamp(int32_t(std::floor(a)), @@ t.First = std::clamp(int32_t(std::ceil(a)), @@ render_poster_test
render/resample.cpp @@ (r + Half) / Count, @@ r / Count, @@ render_poster_test
render/resample.cpp @@ differ |= block[size_t(j) * size_t(srcStride) + size_t(i)] ^ block[0]; @@ differ |= block[size_t(i)] ^ block[0]; @@ zentrix-render files_video_mt_test
files/zoom_video.cpp @@ const double scale = 2.0 * std::exp2(-z.Fraction); @@ const double scale = 2.0 - z.Fraction; @@ zentrix-render files_video_mt_test
engine/fixed.cpp @@ v >>= (AlignedExponent - e); @@ v >>= (AlignedExponent - e + 1); @@ engine_fixed_test
engine/fixed.cpp @@ int lead = v.hi != 0 ? 127 - @@ int lead = v.hi != 0 ? 126 - @@ engine_fixed_test
engine/fixed.cpp @@ if (negative || *text == '+') ++text; @@ if (negative) ++text; @@ engine_fixed_test
engine/fixed.cpp @@ for (int b = 0; b < 120; ++b) { @@ for (int b = 0; b < 119; ++b) { @@ engine_fixed_test
engine/tiles.cpp @@ const int32_t yend = RoundToInt(ysum) - 1; @@ const int32_t yend = int32_t(ysum) - 1; @@ engine_tiles_test
engine/tiles.cpp @@ Work.TileX1[t][p] = xnext; @@ Work.TileX1[t][p] = xnext + 1; @@ engine_tiles_test
engine/strip.h @@ lane = {px, py, px, py, iteration}; @@ lane = {px, py, px, py, iteration - 1}; @@ engine_kernels_test
engine/kernel_double.h @@ return s >= 4.0; @@ return s > 4.0; @@ engine_kernels_test engine_simd_test
render/colour.cpp @@ return static_cast<uint32_t>(std::llrint((double(hi) - double(lo)) * x + double(lo))); @@ return static_cast<uint32_t>((double(hi) - double(lo)) * x + double(lo)); @@ engine_colour_test
render/colour.cpp @@ double sum = 0, divisor = 1; @@ double sum = 0, divisor = 0; @@ engine_colour_test
render/colour.cpp @@ if (c != 0) c += delta; @@ c += delta; @@ engine_colour_test
render/colour.cpp @@ if (View.Color <= ColourTooSmall) { @@ if (View.Color < ColourTooSmall) { @@ engine_colour_test
render/history.cpp @@ bool undoLowering = cur.Iteration > View.Iteration @@ bool undoLowering = cur.Iteration >= View.Iteration @@ app_test preview_cycle_mt_test
render/history.cpp @@ Cycle.HistoryIndex = (Cycle.HistoryIndex + 1) % HistorySlots; @@ Cycle.HistoryIndex = (Cycle.HistoryIndex + 1) % (HistorySlots - 1); @@ app_test preview_cycle_mt_test
render/shortcut.cpp @@ | n[Block * CountStride + Block]) != 0) continue; @@ ) != 0) continue; @@ shortcut_decision_test
render/shortcut.cpp @@ percent <= 1 || percent >= 100) return 1; @@ percent < 1 || percent >= 100) return 1; @@ shortcut_decision_test
render/shortcut.cpp @@ case ModeLong128: return work < 2500; @@ case ModeLong128: return work <= 2500; @@ shortcut_decision_test
render/shortcut.cpp @@ p[down8 - half] | p[down8 + half]; @@ p[down8 - half]; @@ shortcut_decision_test
render/preview_geometry.cpp @@ if (screenPos < span.FirstFill) return span.FirstSource; @@ if (screenPos <= span.FirstFill) return span.FirstSource; @@ preview_geometry_test
render/preview_geometry.cpp @@ const int32_t nearest = ((pos + 8) >> 4) << 4; @@ const int32_t nearest = ((pos + 7) >> 4) << 4; @@ preview_geometry_test
render/preview_geometry.cpp @@ return int32_t(std::nearbyint(lowered)); @@ return int32_t(lowered); @@ preview_geometry_test
render/preview_geometry.cpp @@ const int32_t margin = (size >> (steps + 1)) + 8; @@ const int32_t margin = (size >> steps) + 8; @@ preview_geometry_test
render/preview.cpp @@ for (int c = 0; c < w; c += 2) mask[c / 2] = old[c]; @@ for (int c = 0; c + 2 < w; c += 2) mask[c / 2] = old[c]; @@ preview_passes_test
render/preview_pan.cpp @@ PlatFillRect(cx - 63, cy, cx + 63, cy + 1, Brushes.GreyBrush); @@ PlatFillRect(cx - 63, cy, cx + 64, cy + 1, Brushes.GreyBrush); @@ preview_blit_test
platform/common/canvas.cpp @@ if (left < c.DirtyLeft) c.DirtyLeft = left; @@ if (left > c.DirtyLeft) c.DirtyLeft = left; @@ platform_canvas_test ui_screenshot_test
platform/common/canvas.cpp @@ sy0 = (int64_t)imageH - ySrc - h; @@ sy0 = (int64_t)imageH - ySrc - h + 1; @@ platform_canvas_test ui_screenshot_test
platform/common/canvas.cpp @@ c.DirtyLeft = c.DirtyTop = c.DirtyRight = c.DirtyBottom = 0; @@ (void)c; @@ platform_canvas_test ui_screenshot_test
platform/common/queue.cpp @@ t.Set && t.DueMs <= nowMs && @@ t.Set && t.DueMs < nowMs && @@ platform_queue_test
platform/common/queue.cpp @@ const int64_t period = ms < TimerMinimumMs ? TimerMinimumMs : ms; @@ const int64_t period = ms; @@ platform_queue_test
platform/common/queue.cpp @@ if (WindowTimer* t = FindTimer(q, id)) t->Set = false; @@ if (WindowTimer* t = FindTimer(q, id)) (void)t; @@ platform_queue_test
platform/common/queue.cpp @@ if (q.Count == QueueCapacity) return false; @@ if (q.Count > QueueCapacity) return false; @@ platform_queue_test
platform/headless/window.cpp @@ Window.Queue.Invalid = true;   // a restored window @@ Window.Queue.Invalid = false;   // a restored window @@ platform_queue_test
files/param_text.cpp @@ if (v.ld_Zoom < MinZoom || v.ld_Zoom > MaxZoom) return false; @@ if (v.ld_Zoom < MinZoom || v.ld_Zoom >= MaxZoom) return false; @@ files_params_test
files/param_text.cpp @@ int pad = NumberColumn - @@ int pad = NumberColumn - 1 - @@ files_params_test
files/param_text.cpp @@ while (r.At < r.End && *r.At <= 32) ++r.At; @@ while (r.At < r.End && *r.At < 32) ++r.At; @@ files_params_test
files/param_text.cpp @@ if (v.CPU_Prev < 0 || v.CPU_Prev > 8) return false; @@ if (v.CPU_Prev < 0 || v.CPU_Prev > 9) return false; @@ files_params_test
files/params.cpp @@ if (Messages.LoadState == LoadDone) return; @@ if (Messages.LoadState == LoadFailed) return; @@ files_params_test
platform/services/file_writer.cpp @@ if (!result) SysDelete(f->Temp); @@ if (!result) (void)f->Temp; @@ platform_files_test files_faults_test
TABLE
)

fail() { echo "mutants: $*" >&2; exit 1; }
mkdir -p "$src" "$build" || fail "cannot make $work"

# The copy follows the checkout: files that differ are copied (and so rebuilt).
(cd "$root" && git ls-files --cached --others --exclude-standard) | while IFS= read -r f; do
    [ -f "$root/$f" ] || continue
    cmp -s "$root/$f" "$src/$f" || { mkdir -p "$(dirname "$src/$f")" && cp "$root/$f" "$src/$f"; }
done
# An interrupted run may have left an object built from a fault: the files of the table are
# compiled again (from the cache) first.
while IFS= read -r line; do touch "$src/${line%% @@ *}"; done <<<"$faults"
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null || fail "cmake failed"

# Substitutes exactly one occurrence of the original text, or fails.
plant() {
    python3 - "$@" <<'PY'
import sys
path, old, new = sys.argv[1:4]
text = open(path, encoding='utf-8').read()
if text.count(old) != 1:
    sys.exit(f"{text.count(old)} matches")
open(path, 'w', encoding='utf-8').write(text.replace(old, new))
PY
}

# Runs every test of the given programs, each in its own process as ctest does; fails at the
# first failing test.
run_tests() {
    local t exe suite name
    for t in "$@"; do
        [[ $t == *_test ]] || continue
        exe=$build/tests/$t
        while IFS= read -r name; do
            (cd "$build/tests" && timeout "$timeout_s" "$exe" --gtest_filter="$name" >/dev/null 2>&1) || { echo "$name"; return 1; }
        done < <("$exe" --gtest_list_tests | awk '/^[^ ]/ {suite=$1} /^  / {print suite $1}')
    done
}

all_targets=$(while IFS= read -r line; do echo "${line##* @@ }" | tr ' ' '\n'; done <<<"$faults" | sort -u | tr '\n' ' ')
echo "Building the unchanged copy and running its tests once"
cmake --build "$build" -j2 --target $all_targets >"$work/baseline.log" 2>&1 || fail "the unchanged copy does not build: $work/baseline.log"
broken=$(run_tests $all_targets) || fail "the unchanged copy fails $broken"

killed=0 total=0 notApplied=0 survivors=""
n=0
while IFS= read -r line; do
    n=$((n + 1))
    if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$n"; then continue; fi
    file=${line%% @@ *}; rest=${line#* @@ }
    old=${rest%% @@ *}; rest=${rest#* @@ }
    new=${rest%% @@ *}; targets=${rest#* @@ }
    cp -p "$src/$file" "$work/original"
    if ! why=$(plant "$src/$file" "$old" "$new" 2>&1); then
        echo "$n not applied ($why): $file: $old"
        notApplied=$((notApplied + 1))
        continue
    fi
    total=$((total + 1))
    if ! cmake --build "$build" -j2 --target $targets >"$work/mutant-$n.log" 2>&1; then
        verdict="killed (build)"
    elif caught=$(run_tests $targets); then
        verdict="SURVIVED"
    else
        verdict="killed by $caught"
    fi
    cp "$work/original" "$src/$file"   # a new time stamp: the next build compiles it again
    [[ $verdict == killed* ]] && killed=$((killed + 1)) || survivors="$survivors $n"
    echo "$n $verdict: $file: $old -> $new"
done <<<"$faults"
cmake --build "$build" -j2 --target $all_targets >/dev/null 2>&1   # no object of a fault stays behind

summary="$killed killed of $total"
[ "$notApplied" -gt 0 ] && summary="$summary, $notApplied not applied"
echo "$summary${survivors:+; survivors:$survivors}"
[ "$killed" -eq "$total" ] && [ "$notApplied" -eq 0 ]
exit
}
