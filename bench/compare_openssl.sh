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

best() {
  local best=""
  for _ in 1 2 3 4 5; do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    best=$(echo "$start $end ${best:-999}" | awk '{ t = $2 - $1; print (t < $3 ? t : $3) }')
  done
  echo "$best"
}

size=$(stat -c %s "$work/mail.txt")
velmora=$(best "$crypt" --password-file "$work/password" -o "$work/out.velmora" "$work/mail.txt")
openssl=$(best openssl enc -aes-256-ctr -pbkdf2 -pass "file:$work/password" -in "$work/mail.txt" -out "$work/out.openssl")
echo "input: $size bytes of UTF-8 mail text"
printf 'velmora-crypt:               %.3f s  (%.0f MB/s)\n' "$velmora" "$(echo "$size $velmora" | awk '{print $1/$2/1e6}')"
printf 'openssl enc -aes-256-ctr:    %.3f s  (%.0f MB/s)\n' "$openssl" "$(echo "$size $openssl" | awk '{print $1/$2/1e6}')"
