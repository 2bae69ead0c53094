#!/usr/bin/env bash
# velmora-crypt against openssl's AES-256-CTR on the same 64 MiB mail-like
# UTF-8 text, in one run: the contenders alternate, so that a load that comes
# and goes hits both alike, and each figure is the median of the runs.
# Three ways to write the result: to a file through standard output, to a
# file made durable (-o, which syncs, against openssl -out and sync) and to
# /dev/null.
# Usage: bench/compare_openssl.sh [path/to/velmora-crypt] [runs (default 7)]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
crypt="${1:-$root/build/cli/velmora-crypt}"
runs="${2:-7}"
work="$(mktemp -d "${TMPDIR:-/var/tmp}/velmora-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Swedish mail lines with CRLF, å ä ö and the odd euro sign.
perl -e '
  srand(1);
  my @w = qw(hej och att det som på är för med till mötet imorgon klockan tio
             vänliga hälsningar avtalet kostar 1250€ lösenordet sändning Göteborg
             Stockholm räkningen bifogad fråga svar);
  my $size = 64 * 1024 * 1024; my $out = "";
  while (length($out) < $size) {
    $out .= join(" ", map { $w[int rand @w] } 1 .. 11) . "\r\n";
  }
  binmode STDOUT; print substr($out, 0, $size);
' > "$work/mail.txt"
printf 'Hemligt7\n' > "$work/password"
in="$work/mail.txt" pw="$work/password"

# Each contender as a shell command; $out names the output file.
declare -A command=(
  [crypt-file]='"$crypt" --password-file "$pw" "$in" > "$out"'
  [openssl-file]='openssl enc -aes-256-ctr -pbkdf2 -pass "file:$pw" -in "$in" > "$out"'
  [crypt-durable]='"$crypt" --password-file "$pw" -o "$out" "$in"'
  [openssl-durable]='openssl enc -aes-256-ctr -pbkdf2 -pass "file:$pw" -in "$in" -out "$out" && sync "$out"'
  [crypt-null]='"$crypt" --password-file "$pw" "$in" > /dev/null'
  [openssl-null]='openssl enc -aes-256-ctr -pbkdf2 -pass "file:$pw" -in "$in" > /dev/null'
)
order=(crypt-file openssl-file crypt-durable openssl-durable crypt-null openssl-null)
declare -A times=()

# One timed run; the output file is removed before it and after it.
timed() {
  local out="$work/out"
  rm -f "$out"
  local start end
  start=$(date +%s%N)
  eval "${command[$1]}"
  end=$(date +%s%N)
  rm -f "$out"
  times[$1]+="$(( (end - start) / 1000 )) "
}

sync
for name in "${order[@]}"; do timed "$name"; done   # warm-up, not counted
times=()
for ((run = 1; run <= runs; run++)); do
  # Pairs alternate which contender goes first.
  for ((k = 0; k < ${#order[@]}; k += 2)); do
    if ((run % 2)); then timed "${order[k]}"; timed "${order[k + 1]}"
    else timed "${order[k + 1]}"; timed "${order[k]}"; fi
  done
done

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) / 1e6 }'; }
size=$(stat -c %s "$in")
echo "input: $size bytes of UTF-8 mail text; median of $runs alternating runs; load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
for what in file durable null; do
  c=$(median <<<"${times[crypt-$what]}")
  o=$(median <<<"${times[openssl-$what]}")
  case $what in
    file) label='to a file (> file)' ;;
    durable) label='durable (-o FILE | -out FILE && sync)' ;;
    null) label='to /dev/null' ;;
  esac
  awk -v l="$label" -v c="$c" -v o="$o" -v s="$size" 'BEGIN {
    printf "%-40s velmora-crypt %.3f s (%4.0f MB/s)  openssl %.3f s (%4.0f MB/s)  ratio %.2f\n", l, c, s / c / 1e6, o, s / o / 1e6, c / o }'
done
