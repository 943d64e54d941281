#!/usr/bin/env bash
# A monkey campaign: many seeded random walks over the client (verdan --headless --monkey SEED),
# several at a time, each against a test server of its own on ports the system picks, then a
# summary: steps walked, the screens reached, and the faults found grouped by kind with the
# scripts that replay them.
#
# usage: scripts/monkey.sh [--build DIR] [--seeds FIRST-LAST | --seeds "S1 S2 ..."] [--steps N]
#                          [--jobs J] [--out DIR] [--server "OPTIONS"] [--keep-going] [--quiet]
#                          [--summary] [--from-home]
#   --build DIR   where verdan and verdan-testserver were built (default: build)
#   --seeds       the walks' seeds (default 1-50)
#   --steps N     steps per walk (default 2000)
#   --jobs J      walks at a time (default: half the cores)
#   --out DIR     logs and replay scripts (default: DIR/monkey of the build)
#   --server "OPTIONS"  passed to every test server, for example --server "--date 20261209
#                 --minute 1030" (see verdan-testserver --help)
#   --keep-going  a walk goes on after a fault (not after a hang or crash) and reports each
#                 distinct one once, with a replay script of its own (OUT/SEED/monkey-SEED-stepN.script)
#   --quiet       only the summary, each area of places reached as a count
#   --summary     no walks: sums up the walks already in the out folder (a campaign stopped early)
#   --from-home   every walk starts on the start screen (the watch list) instead of its own start
# Walks start from every screen: seed S starts from start number S (counted round the list
# below): a detail page of each kind of security, each group of the market tab's lists, then each
# screen class the product registers, reached as a user reaches it or opened by name. Its steps
# come first in the walk's script (OUT/SEED/start.script), checked as the walk's own.
# The summary says how many walks reached each screen class, market tab list, detail page by kind
# of security, K-line period and landscape page or bar, and names those none reached.
# A walk that finds a fault stops there; its replay script (SEED.script in the out folder) plays
# the steps again: verdan --headless --virtual-time --script FILE --bundle OUT/SEED/bundle.
# Exit status: 0 when every walk passed, 1 when any did not (a fault, a hang, a crash, a server
# that did not start), 2 on a bad option.
set -uo pipefail
# Bash reads a script as it runs it: the whole campaign is one block, read before anything runs,
# so that the file edited (or checked out anew) during a campaign changes nothing of it.
{
cd "$(dirname "$0")/.."
. scripts/lib/testserver.sh
. scripts/lib/walk.sh

from_home=0
own_option() {
  case "$1" in
    --from-home) from_home=1; took=1 ;;
  esac
}
walk_options monkey 1-50 2000 "$@"
if [ $summary_only -eq 1 ]; then
  for seed in $seed_list; do
    [ -f "$out/$seed/result" ] || echo "unfinished" >"$out/$seed/result" 2>/dev/null
    [ -f "$out/$seed.script" ] || cp "$out/$seed/monkey-$seed.script" "$out/$seed.script" 2>/dev/null
  done
fi
# --- where walks start -----------------------------------------------------------------------
# The product's screen classes: the names registered for the class registry or the screen opener
# in the product's folders whose classes are view controllers (directly or through a base).
product_dirs="shell widgets watchlist ranking detail panels kline account messaging alerts"
screen_classes() {
  local registered controllers
  # (a call may break its line after the parenthesis)
  registered=$(find $product_dirs -name '*.cpp' -exec cat {} + | tr -d '\n ' |
    grep -oE 'register(Class<[A-Za-z_:]+>|Class|Screen)\("[A-Za-z_]+"' |
    sed -E 's/.*\("//; s/"$//' | sort -u)
  # class NAME ... : public BASE, taken transitively from ui::ViewController.
  controllers=$(grep -rhoE \
    '^class [A-Za-z_]+( final)? : public [A-Za-z_:]+' --include='*.h' $product_dirs |
    awk '{base[$2] = $NF} END {
      for (c in base) { b = c; for (i = 0; i < 20 && b in base; i++) { b = base[b];
        if (b == "ui::ViewController") { print c; break } } } }' | sort -u)
  comm -12 <(echo "$registered") <(echo "$controllers")
}
# The market tab's lists, "GROUP LIST" a line, from its menus (read once).
market_lists() {
  echo "$market_lists_read"
}
read_market_lists() {
  # The market tab's menus: each group's title, then its lists' titles.
  local file=ranking/NewStockSort.cpp group titles
  titles=$(sed -n 's/^constexpr const char\* kTopTitles\[\] = {\(.*\)};/\1/p' "$file" | grep -o '"[^"]*"' | tr -d '"')
  local i=0
  for group in $(sed -n '/^constexpr MenuGroup kGroups\[\]/,/;$/p' "$file" | grep -o 'G(k[A-Za-z]*)' |
    sed 's/G(\(.*\))/\1/'); do
    i=$((i + 1))
    local top
    top=$(sed -n "${i}p" <<<"$titles")
    local from=$file start="constexpr Entry $group[] = {" alias
    # A group whose lists stand in the markets table (the futures) names them there.
    alias=$(sed -n "s/^constexpr const auto& $group = markets::\(.*\);/\1/p" "$file")
    if [ -n "$alias" ]; then
      from=core/MarketTable.h
      start="inline constexpr ListTab $alias[] = {"
    fi
    [ -f "$from" ] || continue
    awk -v start="$start" 'index($0, start) == 1 {on = 1}
      on {print} on && /};/ {exit}' "$from" | grep -o '{"[^"]*"' | tr -d '{"' |
      sed "s/^/$top /"
  done
}
market_lists_read=$(read_market_lists)
# Shared by the starts.
# A security's detail pager by the watch list's search (a code typed, the first stock found),
# then each of its N pages on the menu in turn (each a step the walk checks), ending on page P
# (counted from 0).
detail() {
  local steps="wait 4;tap 293 42;wait 1;tap 303 85;wait 0.3;type $1;wait 1.5;tap 160 127;wait 2"
  local n=$2 k
  for k in $(seq 0 $((n - 1))) "$3"; do
    steps+=";tap $(( (320 * (2 * k + 1)) / (2 * n) )) 77;wait 1.5"
  done
  echo "$steps"
}
# The market tab, a group of its lists shown by STEPS (the last two groups are on the menu's
# second page), then each list of the group in turn on its menu, five to a page (fewer share the
# menu's width).
market() {
  local steps="wait 4;tap 80 455;wait 1.5${2:+;$2}" n i per
  n=$(market_lists | grep -c "^$1 ")
  [ "$n" -gt 1 ] || { echo "$steps"; return; }
  per=$((n < 5 ? n : 5))
  for ((i = 0; i < n; i++)); do
    [ $i -gt 0 ] && [ $((i % 5)) -eq 0 ] && steps+=";drag 300 119 20 119 0.5;wait 1"
    steps+=";tap $(( (320 * (2 * (i % 5) + 1)) / (2 * per) )) 119;wait 1.5"
  done
  echo "$steps"
}
# Each start: a name, then its steps separated by ';'. The first few are what a short run (the
# CI's three seeds) should see first: places no walk from the watch list reaches soon.
starts=(
  "detail 港股 十档|$(detail 00700 6 5)"
  "detail 期货 landscape K线|$(detail RB1605 4 1);orientation 3;wait 2"
  "market 美股|$(market 美股 "tap 288 83;wait 1.5")"
  "detail 美股 K线|$(detail AAPL 4 1)"
  "detail 指数 F10|$(detail 000001 4 2)"
  "detail 沪深 主力|$(detail 600000 5 2)"
  "screen UIHKTransferViewController|wait 4;open UIHKTransferViewController;wait 1"
  "market 期货|$(market 期货 "drag 300 83 100 83 0.5;wait 1;tap 224 83;wait 1.5")"
  "market 沪深|$(market 沪深)"
  "market 港股|$(market 港股 "tap 224 83;wait 1.5")"
  "market 全球市场|$(market 全球市场 "drag 300 83 100 83 0.5;wait 1;tap 288 83;wait 1.5")"
  "market 板块|$(market 板块 "tap 160 83;wait 1.5")"
  "market 指数|$(market 指数 "tap 96 83;wait 1.5")"
  "detail 沪深 信息|$(detail 600000 5 4)"
  "detail 港股 landscape 走势|$(detail 00700 6 0);orientation 4;wait 2"
  # The price-alert editor, as a user with alert rights opens it: More, "股价预警", the login
  # the guest is offered, "设置更改" and the first stored setting.
  "screen PriceNotificationSetting|wait 4;tap 293 455;wait 0.5;tap 224 408;wait 1.5;tap 160 94;wait 0.5;tap 231 307;wait 1.5;tap 90 281;wait 1;tap 160 133;type 4040;tap 160 179;type 404000;key Return;tap 80 272;wait 3;tap 160 268;wait 1.5;tap 160 154;wait 1.5;tap 160 84;wait 2"
)
# Then every other screen class, opened by name (those the starts above reach, or that need a
# security of their own, are left to them).
for class in $(screen_classes); do
  case " SelfStockController TrendlineController LandscapeKline NewStockSort UIHKTransferViewController PriceNotificationSetting " in
    *" $class "*) continue ;;
  esac
  starts+=("screen $class|wait 4;open $class;wait 1")
done
# start_script <seed> <file>: writes the seed's start; prints its name.
# shellcheck disable=SC2317  # (walks call it, through walk_each)
start_script() {
  local entry=${starts[$(( ($1 - 1) % ${#starts[@]} ))]}
  echo "# start: ${entry%%|*}" >"$2"
  tr ';' '\n' <<<"${entry#*|}" >>"$2"
  echo "${entry%%|*}"
}

if [ $summary_only -eq 0 ]; then
walk_client_copy

# walk <seed>: a server of its own, then the walk from the seed's start; writes OUT/SEED/{server.*,
# start,start.script,bundle,client.log,report.txt,result} and OUT/SEED.script.
# shellcheck disable=SC2317  # (called through walk_each)
walk() {
  local seed=$1 dir=$out/$1 start=()
  if [ $from_home -eq 0 ]; then
    mkdir -p "$dir"
    start_script "$seed" "$dir/start.script" >"$dir/start"
    start=(--script "$dir/start.script")
  fi
  walk_play "$dir" "$seed" "$out/$seed.script" "${keep_going[@]}" "${start[@]}" -- \
    --rights 30,31,32,49 "${server_args[@]}" || return
  [ $quiet -eq 1 ] || echo "== seed $seed$( [ -s "$dir/start" ] && echo " (from $(cat "$dir/start"))"): $(cat "$dir/result")$(grep -c ' failed (' "$dir/report.txt" | sed 's/^0$//; s/^[0-9][0-9]*$/ (&)/')"
}

echo "== monkey: seeds $seeds, $steps steps each, $jobs at a time; logs in $out/"
# shellcheck disable=SC2086
walk_each walk $seed_list
fi

# --- the summary ----------------------------------------------------------------------------
# One line per fault found: "KEY<tab>seed S step N: REPLAY" (see walk_faults).
total_steps=0
walks=0
failed=0
found=$out/faults.txt
: >"$found"
for seed in $seed_list; do
  dir=$out/$seed
  walks=$((walks + 1))
  result=$(walk_result "$dir")
  n=$(walk_steps "$out/$seed.script")
  total_steps=$((total_steps + n))
  [ "$result" = passed ] && continue
  failed=$((failed + 1))
  had=$(wc -l <"$found")
  # The faults the walk reported (one, or each distinct one when it went on after them).
  walk_faults "$dir/report.txt" "$seed" replay >>"$found"
  case "$result" in
    sanitizer)
      what=$(grep -m1 -E 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$dir/client.log" |
        sed -E 's/^.*(ERROR: |runtime error: )//; s/0x[0-9a-f]+//g')
      where=$(symbolized_log "$dir/client.log" | grep -m1 -E '^ +#[0-9]+ .* in [^_]' |
        sed -E 's/^ +#[0-9]+ 0x[0-9a-f]+ in //')
      printf 'sanitizer: %s at %s\tseed %s step %s: %s\n' "$(sed -E 's/[0-9]+/N/g' <<<"$what")" \
        "$where" "$seed" "$n" "$out/$seed.script" >>"$found" ;;
    crash* | client* | unfinished)
      printf '%s\tseed %s step %s: %s\n' "$result" "$seed" "$n" "$out/$seed.script" >>"$found" ;;
  esac
  # A walk that failed without a fault to show (its server did not start, it did not end, its
  # report was cut short) is one by what ended it.
  [ "$(wc -l <"$found")" -gt "$had" ] ||
    printf '%s\tseed %s step %s: %s\n' "$result" "$seed" "$n" "$out/$seed.script" >>"$found"
done
echo "== monkey summary: $walks walks, $total_steps steps, $failed found a fault"
# What the walks reached: "AREA<tab>PLACE" once a walk, from the screens on top and the places
# the screens note (a list's page count left out: "上证A股(1/2)" is the list "上证A股").
reached=$out/reached.txt
for seed in $seed_list; do
  sed -nE 's/.*monkey step [0-9]+: screen (.+)$/screen\t\1/p;
           s/.*monkey step [0-9]+: reached ([^:]+): (.+)$/\1\t\2/p' "$out/$seed/client.log" 2>/dev/null |
    sed -E 's/\([0-9]+\/[0-9]+\)$//' | sort -u
done >"$reached"
# Every place a campaign should reach, area by area, as the screens name them; a place noted but
# not listed here shows too (marked "+").
expected() {
  case "$1" in
    screen) screen_classes ;;
    "market list") market_lists ;;
    "detail page")
      for kind in 沪深 指数 港股 美股 期货; do
        pages="走势 K线 F10 信息"
        [ $kind = 沪深 ] && pages="走势 K线 主力 F10 信息"
        [ $kind = 港股 ] && pages="走势 K线 主力 F10 信息 十档"
        for page in $pages; do echo "$kind $page"; done
      done ;;
    "kline period") printf '%s\n' 日线 周线 月线 5分钟 15分钟 30分钟 60分钟 ;;
    landscape) printf '%s\n' 走势 K线 周期 除权 指标 参数 ;;
  esac
}
# (--quiet: each area's count only, as a few walks leave most places unreached)
echo "== reached (of $walks walks, how many reached each; 'never' where none did, '+' where a place is not in the list):"
never=()
for area in screen "market list" "detail page" "kline period" landscape; do
  list=$(expected "$area")
  # Each place listed, then each one reached that is not listed: "COUNT<tab>PLACE<tab>MARK".
  counted=$(awk -F'\t' -v a="$area" '
    FNR == NR { if ($0 != "" && !($0 in listed)) { listed[$0] = 1; order[++n] = $0 }; next }
    $1 == a { count[$2]++; if (!($2 in listed) && !($2 in extra)) { extra[$2] = 1; more[++m] = $2 } }
    END {
      for (i = 1; i <= n; i++) print count[order[i]] + 0 "\t" order[i] "\t" (count[order[i]] ? "" : " never")
      for (i = 1; i <= m; i++) print count[more[i]] "\t" more[i] "\t +"
    }' <(echo "$list") "$reached")
  missing=()
  lines=""
  while IFS=$'\t' read -r n place mark; do
    [ -n "$place" ] || continue
    [ "$n" -gt 0 ] || missing+=("$place")
    printf -v line '    %4d  %s%s\n' "$n" "$place" "$mark"
    lines+=$line
  done <<<"$counted"
  total=$(grep -c . <<<"$list")
  echo "  $area ($total): $((total - ${#missing[@]})) reached$( [ $quiet -eq 1 ] || echo ":")"
  [ $quiet -eq 1 ] || printf '%s' "$lines"
  [ ${#missing[@]} -eq 0 ] || never+=("$area: $(IFS=,; echo "${missing[*]}" | sed 's/,/, /g')")
done
if [ ${#never[@]} -eq 0 ]; then
  echo "== reached every place listed"
elif [ $quiet -eq 1 ]; then
  echo "== never reached: $(printf '%s\n' "${never[@]}" | wc -l) areas with places no walk reached (the full list without --quiet)"
else
  echo "== never reached:"
  printf '    %s\n' "${never[@]}"
fi
# fault_folder <fault>: the folder of the screen it was on (its class's header), for whoever
# mends it.
# shellcheck disable=SC2317  # (called through walk_fault_list)
fault_folder() {
  local screen
  screen=$(sed -n 's/^([^)]*) on \([A-Za-z_][A-Za-z0-9_:]*\): .*/\1/p' <<<"$1")
  [ -n "$screen" ] || return 0
  grep -rlE "^class ${screen##*::}\b" --include='*.h' . 2>/dev/null | grep -v '^./build' |
    head -1 | sed -E 's|^\./||; s|/[^/]*$|/|'
}
if [ -s "$found" ]; then
  echo "== faults ($(cut -f1 "$found" | sort -u | wc -l) distinct; $(wc -l <"$found") found; list in $found):"
  walk_fault_list "$found" fault_folder
  # A walk that stopped at its fault printed its steps so far as a script: shown here, so that a
  # run whose folders are gone (a CI machine) can still be replayed.
  if [ ${#keep_going[@]} -eq 0 ]; then
    for seed in $seed_list; do
      [ "$(cat "$out/$seed/result" 2>/dev/null)" = passed ] && continue
      echo "== seed $seed: what it printed"
      sed 's/^/    /' "$out/$seed/report.txt" 2>/dev/null | head -600
    done
  fi
  exit 1
fi
echo "== monkey: every walk passed"
exit 0
}
