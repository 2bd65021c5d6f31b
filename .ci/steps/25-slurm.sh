#!/usr/bin/env bash
# Slurm: a one-node cluster of its own (munged, slurmctld and slurmd as root, no systemd, a
# minimal slurm.conf in a scratch folder, its own ports and munge socket) runs a picture's parts
# as an array job with --part env/N; a dependent job joins them, and the joined pixels must be
# the single render's. The daemons this step started are stopped whatever happens.
# Uses the release build that scripts/test.sh left in build/.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/deps.sh slurm-wlm munge imagemagick
[ "$(id -u)" -eq 0 ] || { echo "the Slurm step starts its daemons as root"; exit 1; }
render=$(pwd)/build/zentrix-render
view=$(pwd)/views/mini-set-zoom-61.zxp
work=$(mktemp -d)
chmod 755 "$work"
pids=()
stop() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$p" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap stop EXIT
logs() { tail -n 30 "$work"/*.log; }

host=$(hostname -s)
mkdir -p "$work/state" "$work/spool"
munged --force --socket="$work/munge.socket" --pid-file="$work/munged.pid" --log-file="$work/munged.log" \
  --seed-file="$work/munged.seed"
pids+=("$(cat "$work/munged.pid")")
export SLURM_CONF=$work/slurm.conf
cat >"$SLURM_CONF" <<CONF
ClusterName=zentrix
SlurmctldHost=$host
SlurmctldPort=16817
SlurmdPort=16818
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge.socket
CredType=cred/munge
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SwitchType=switch/none
MpiDefault=none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
JobCompType=jobcomp/none
NodeName=$host CPUs=$(nproc) State=UNKNOWN
PartitionName=zentrix Nodes=ALL Default=YES MaxTime=INFINITE State=UP
CONF
slurmctld -i -f "$SLURM_CONF"
for _ in $(seq 100); do [ -s "$work/slurmctld.pid" ] && break; sleep 0.1; done
pids+=("$(cat "$work/slurmctld.pid")")
slurmd -f "$SLURM_CONF"
for _ in $(seq 100); do [ -s "$work/slurmd.pid" ] && break; sleep 0.1; done
pids+=("$(cat "$work/slurmd.pid")")
for _ in $(seq 300); do sinfo -h -o %t 2>/dev/null | grep -qx idle && break; sleep 0.1; done
sinfo -h -o %t | grep -qx idle || { echo "the node did not come up"; sinfo; logs; exit 1; }

opts="--threads 1 --size 320x224 --scale 2"
"$render" $opts "$view" "$work/single.png" >/dev/null
cd "$work"
parts=$(sbatch --parsable --array=0-6 --output="$work/part-%a.log" --wrap="$render $opts --part env/7 $view $work/out.png")
sbatch --wait --dependency=afterok:"$parts" --output="$work/join.log" --wrap="$render $opts --join 7 $view $work/out.png" \
  >/dev/null || { echo "the join job failed"; logs; exit 1; }
[ "$(identify -format '%#' "$work/out.png")" = "$(identify -format '%#' "$work/single.png")" ] ||
  { echo "the joined pixels differ from the single render's"; exit 1; }
# A lost part: only what --missing names is submitted again, and the join completes.
rm "$work"/out.png.parts/part-00004-of-00007 "$work/out.png"
missing=$("$render" $opts --missing 7 "$view" "$work/out.png") && { echo "--missing saw nothing missing"; exit 1; }
[ "$missing" = 4 ] || { echo "--missing says '$missing', not 4"; exit 1; }
sbatch --wait --array="$missing" --output="$work/again-%a.log" --wrap="$render $opts --part env/7 $view $work/out.png" >/dev/null
"$render" $opts --join 7 "$view" "$work/out.png" >/dev/null
[ "$(identify -format '%#' "$work/out.png")" = "$(identify -format '%#' "$work/single.png")" ] ||
  { echo "the joined pixels differ after the resubmission"; exit 1; }
echo "Slurm: an array job of 7 parts, a dependent join and a resubmitted lost part; pixels equal to the single render"
