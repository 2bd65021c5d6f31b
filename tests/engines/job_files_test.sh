#!/usr/bin/env bash
# The Kubernetes and AWS Batch job files of docs/engines parse, and each part job runs as many
# tasks as its --part env/N has parts, with the join of the same N and command.
# Usage: job_files_test.sh DOCS_ENGINES_FOLDER
set -euo pipefail
python3 -c 'import yaml' 2>/dev/null || { echo "python3-yaml is missing"; exit 77; }
python3 - "$1" <<'PY'
import json, sys, yaml
folder = sys.argv[1]
def load(name):
    with open(f"{folder}/{name}") as f:
        return yaml.safe_load(f) if name.endswith(".yaml") else json.load(f)
def parts_of(command, mode):
    value = command[command.index(mode) + 1]
    return int(value.split("/")[-1]), command[:command.index(mode)] + command[command.index(mode) + 2:]
def check(tasks, part_command, join_command):
    n, rest = parts_of(part_command, "--part")
    m, join_rest = parts_of(join_command, "--join")
    assert part_command[part_command.index("--part") + 1] == f"env/{n}", part_command
    assert tasks == n == m, (tasks, n, m)
    assert rest == join_rest, (rest, join_rest)
k8s, join = load("kubernetes-indexed-job.yaml"), load("kubernetes-join-job.yaml")
assert k8s["kind"] == join["kind"] == "Job" and k8s["spec"]["completionMode"] == "Indexed"
check(k8s["spec"]["completions"], k8s["spec"]["template"]["spec"]["containers"][0]["command"],
      join["spec"]["template"]["spec"]["containers"][0]["command"])
aws, aws_join = load("aws-batch-array-job.json"), load("aws-batch-join.json")
check(aws["arrayProperties"]["size"], aws["containerOverrides"]["command"], aws_join["containerOverrides"]["command"])
print("job files: Kubernetes Indexed Job and AWS Batch array job parse and agree")
PY
