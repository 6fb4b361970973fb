#!/usr/bin/env bash
# Every shader text of the saver passes the Khronos reference compiler as GLSL 1.10:
# the resource files (which carry no #version, so 1.10 is theirs) and the texts written
# into the C++ sources as raw strings. Mesa accepts what other vendors' compilers may
# refuse; this check holds the texts to the language itself. A broken text must fail
# first, so that a tool that checks nothing cannot pass.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
command -v glslangValidator > /dev/null || { echo "FAIL: glslangValidator is missing (glslang-tools)" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# check <name> <stage: vert|frag> <file>: the text, as 1.10 where it names no version.
check() {
  local name="$1" stage="$2" file="$3"
  if grep -q '^[[:space:]]*#version' "$file"; then
    cp "$file" "$work/text.$stage"
  else
    { printf '#version 110\n#line 1\n'; cat "$file"; } > "$work/text.$stage"
  fi
  glslangValidator "$work/text.$stage" > "$work/out" 2>&1
}

printf 'void main()\n{\n    gl_FragColor = vec4(1.0)\n}\n' > "$work/broken"
! check broken frag "$work/broken" || { echo "FAIL: a broken text passed the compiler" >&2; exit 1; }

failed=0
count=0
for file in "$root"/resources/shaders/*.vert "$root"/resources/shaders/*.frag; do
  count=$((count + 1))
  check "${file##*/}" "${file##*.}" "$file" || { echo "FAIL: ${file#$root/}:"; cat "$work/out"; failed=1; }
done

# Raw strings that begin with #version in the C++ sources, each to its closing )".
while IFS= read -r source; do
  awk -v out="$work/inline" '
    /R"\(#version/ { n++; file = out "." n; sub(/^.*R"\(/, ""); print > file; inside = 1; next }
    inside && /^\)"/ { inside = 0; close(file); next }
    inside { print > file }
  ' "$source"
  for text in "$work"/inline.*; do
    [[ -f "$text" ]] || continue
    stage=frag
    grep -q 'gl_Position' "$text" && stage=vert
    count=$((count + 1))
    check "${source#$root/}" "$stage" "$text" || { echo "FAIL: a shader in ${source#$root/}:"; cat "$work/out"; failed=1; }
    rm -f "$text"
  done
done < <(grep -rl 'R"(#version' "$root"/app "$root"/render "$root"/scene "$root"/sound "$root"/settings || true)

((count >= 13)) || { echo "FAIL: only $count shader texts found" >&2; exit 1; }
((failed == 0)) || exit 1
echo "PASS: $count shader texts"
