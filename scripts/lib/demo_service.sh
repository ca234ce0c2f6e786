# Shared by scripts/demo and scripts/screenshots: a demo service in a
# directory (settings, offline web pages, a database with members, recharge
# cards, alerts of the last three days and notices) and lanzhou-server on
# loopback. Source it after common.sh; the caller owns cleanup (server_pid).

# day "-1 day": the date as the service writes it.
day() { date -d "$1" '+%Y-%m-%d'; }
# An operator command against the demo database.
op() { "$server" "$@" --db "$db" >/dev/null; }

# lanzhou_start_demo_service BIN_DIR DEMO_DIR: fills the directory, starts
# the server and sets server, db, server_pid and port (its listening port).
# When update_source is set (lanzhou_serve_demo_update), the service offers
# version 2 from there.
lanzhou_start_demo_service() {
server="$1/server/lanzhou-server"
demo="$2"
db="$demo/demo.db"

# ---- web pages that work offline
mkdir -p "$demo/pages"
for n in 1 2 3 4 5 6; do
  cat >"$demo/pages/page$n.html" <<HTML
<html><head><meta charset="utf-8"><title>Demo page $n</title></head>
<body><h1>演示页面 $n</h1><p>This page lives in $demo/pages.</p></body></html>
HTML
done

# ---- settings
offered_version=0
[[ -n ${update_source:-} ]] && offered_version=2
{
  cat <<TOML
listen = "127.0.0.1:0"

# With an update source (lanzhou_serve_demo_update), version 2 is offered to
# the demo client, whose ver.txt says 1; without one, nothing is offered.
[version]
current = $offered_version
update_source = "${update_source:-}"

[client]
product_title = "澜舟智投 演示"
label_colour = "#FFFFFF"
title_colour = "#C00000"
time_colour = "#7F7F7F"
star_colour = "#FF9900"
body_colour = "#000000"
rule_colour = "#2E75B6"
heartbeat_seconds = 30
support_qq = "10001"

[bulletin]
html = "<h3>欢迎使用澜舟智投演示服务</h3><p>演示账号：demo/demo（正式会员），free/free（免费会员）。</p>"
TOML
  names=(今日推荐 短线机会 中线布局 行业研究 盘后点评 会员专区)
  for n in 0 1 2 3 4 5; do
    open=false
    ((n < 2)) && open=true
    printf '\n[[channel]]\nname = "%s"\nopen_to_free_users = %s\n' "${names[$n]}" "$open"
  done
  for n in 1 2 3 4 5 6; do
    open=false
    ((n < 3)) && open=true
    printf '\n[[web_page]]\nname = "页面%s"\naddress = "file://%s/pages/page%s.html"\nopen_to_free_users = %s\n' \
      "$n" "$demo" "$n" "$open"
  done
} >"$demo/demo.toml"

# ---- database, through the operator commands
op account add --name demo --password demo --qq 10001 --phone 13800000000 \
  --type 1 --expiry "$(day '+1 year') 23:59:59"
op account add --name free --password free --qq 10002 --phone 13800000001 --type 0
for n in 1 2 3; do
  op card add --number "DEMO-CARD-$n" --days 30 --valid-until "$(day '+6 months') 23:59:59"
done
codes=(600519 000858 601318 000001 600036 300750)
names=(贵州茅台 五粮液 中国平安 平安银行 招商银行 宁德时代)
for back in 2 1 0; do
  date_part=$(day "-$back days")
  for i in 0 1 2 3; do
    k=$(((back * 4 + i) % 6))
    audience=$((i % 2))
    op alert publish --code "${codes[$k]}" --name "${names[$k]}" --operation 买入 \
      --buy "$((10 + i)).50" --sell "$((11 + i)).20" --remark "演示提示 $date_part" \
      --audience "$audience" --popup 0 --time "$(printf '%s %02d:%02d:00' "$date_part" $((9 + i / 2)) $((10 + i * 10)))"
  done
done
op notice publish --title "欢迎" --body "欢迎来到澜舟智投演示服务。" --stars 3 --channel 0 \
  --popup 0 --time "$(day '-1 day') 18:00:00"
op notice publish --title "会员周报" --body "本周市场回顾与下周展望。" --stars 4 --channel 5 \
  --popup 0 --time "$(day today) 08:30:00"

# ---- server
"$server" serve --db "$db" --config "$demo/demo.toml" >"$demo/server.out" 2>"$demo/server.err" &
server_pid=$!
port=""
for _ in $(seq 100); do
  port=$(sed -n 's/.*"listening":"[^"]*:\([0-9]*\)".*/\1/p' "$demo/server.out")
  [[ -n $port ]] && break
  sleep 0.05
done
if [[ -z $port ]]; then
  echo "The demo server did not start:" >&2
  cat "$demo/server.err" >&2
  exit 1
fi

}

# lanzhou_seed_client DIR: a client run directory with the tab icons and the
# alert sound of data/ (what an installed client gets from its package).
lanzhou_seed_client() {
  mkdir -p "$1"
  cp -r "$LANZHOU_ROOT/data/ico" "$LANZHOU_ROOT/data/music" "$1/"
}

# lanzhou_serve_demo_update DIR: builds version 2 of the demo client as an
# update archive (release notes and a folder), serves it over HTTP on
# loopback and sets update_source (with the archive's SHA-256, which the
# updater verifies) and update_server_pid.
lanzhou_serve_demo_update() {
  local dir="$1/updates"
  mkdir -p "$dir/content/docs"
  printf '澜舟智投演示版本 2\r\n\r\n本次更新为演示：更新程序下载、校验并解压了这个文件。\r\n' \
    | iconv -f UTF-8 -t GBK >"$dir/content/docs/release-notes.txt"
  (cd "$dir/content" && python3 -m zipfile -c ../lanzhou-2.zip docs)
  python3 -u -m http.server --bind 127.0.0.1 --directory "$dir" 0 >"$dir/http.out" 2>&1 &
  update_server_pid=$!
  local http_port=""
  for _ in $(seq 100); do
    http_port=$(sed -n 's/.* port \([0-9][0-9]*\).*/\1/p' "$dir/http.out" | head -1)
    [[ -n $http_port ]] && break
    sleep 0.05
  done
  if [[ -z $http_port ]]; then
    echo "The demo update server did not start:" >&2
    cat "$dir/http.out" >&2
    exit 1
  fi
  local digest
  digest=$(sha256sum "$dir/lanzhou-2.zip" | cut -d' ' -f1)
  update_source="http://127.0.0.1:$http_port/lanzhou-2.zip#sha256=$digest"
}
