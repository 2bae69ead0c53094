#!/usr/bin/env bash
# velmora-crypt against openssl's AES-256-CTR on the same 64 MiB mail-like
# UTF-8 text, in one run: best of five wall-clock times for each.
# Usage: bench/compare_openssl.sh [path/to/velmora-crypt]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
crypt="${1:-$root/build/cli/velmora-crypt}"
work="$(mktemp -d)"
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

# best <output file> <command...>: the command writes its result to the
# output file (removed before each run), standard output included.
best() {
  local out="$1"; shift
  local best=""
  for _ in 1 2 3 4 5; do
    local start end
    rm -f "$out"
    start=$(date +%s.%N)
    "$@" >"$out.stdout"
    end=$(date +%s.%N)
    best=$(echo "$start $end ${best:-999}" | awk '{ t = $2 - $1; print (t < $3 ? t : $3) }')
  done
  echo "$best"
}

size=$(stat -c %s "$work/mail.txt")
piped=$(best "$work/out.piped" "$crypt" --password-file "$work/password" "$work/mail.txt")
durable=$(best "$work/out.o" "$crypt" --password-file "$work/password" -o "$work/out.o" "$work/mail.txt")
openssl=$(best "$work/out.openssl" openssl enc -aes-256-ctr -pbkdf2 -pass "file:$work/password" \
  -in "$work/mail.txt" -out "$work/out.openssl")
rate() { echo "$size $1" | awk '{printf "%.0f", $1 / $2 / 1e6}'; }
echo "input: $size bytes of UTF-8 mail text, best of 5 runs each"
printf 'velmora-crypt > file:                %.3f s  (%s MB/s)\n' "$piped" "$(rate "$piped")"
printf 'velmora-crypt -o file (fsync, rename): %.3f s  (%s MB/s)\n' "$durable" "$(rate "$durable")"
printf 'openssl enc -aes-256-ctr -pbkdf2:    %.3f s  (%s MB/s)\n' "$openssl" "$(rate "$openssl")"
