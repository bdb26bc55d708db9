#!/usr/bin/env bash
# Starts and stops a PostgreSQL and a MariaDB server for the tests, each on its own data folder made
# for the run and listening on loopback only.
#
#   bash scripts/db-servers.sh start FOLDER   # FOLDER new or empty; writes FOLDER/env.sh
#   source FOLDER/env.sh                      # exports DORVANE_TEST_PG and DORVANE_TEST_MARIADB
#   bash scripts/db-servers.sh stop FOLDER    # stops both servers by the process ids kept in FOLDER
#
# Each server gets a user "dorvane" (password "dorvane") that may create databases, and a database
# "dorvane" owned by it. The ports are the first free ones from 55432 and 53306 upwards.
set -euo pipefail

command=${1:-}
folder=${2:-}
if [ -z "$command" ] || [ -z "$folder" ]; then
    echo "usage: $0 start|stop FOLDER" >&2
    exit 2
fi

pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)

port_in_use() {
    ss -ltnH "( sport = :$1 )" 2>/dev/null | grep -q .
}

free_port() {
    local port=$1
    while port_in_use "$port"; do port=$((port + 1)); done
    echo "$port"
}

# Runs a command as the given service user when we are root (the servers refuse to run as root).
as_user() {
    local user=$1
    shift
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u "$user" -- "$@"
    else
        "$@"
    fi
}

wait_for() {
    local what=$1
    shift
    for _ in $(seq 1 300); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    echo "$what did not come up" >&2
    return 1
}

start_postgresql() {
    local dir=$folder/postgresql
    local port
    port=$(free_port 55432)
    mkdir -p "$dir/data" "$dir/socket"
    if [ "$(id -u)" -eq 0 ]; then chown -R postgres: "$dir"; fi
    printf 'postgres\n' >"$folder/pg-superuser-password"
    chmod 644 "$folder/pg-superuser-password"
    as_user postgres "$pg_bin/initdb" -D "$dir/data" -U postgres -E UTF8 --locale=C.UTF-8 \
        --auth-local=trust --auth-host=scram-sha-256 --pwfile="$folder/pg-superuser-password" >"$dir/initdb.log"
    as_user postgres "$pg_bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses=127.0.0.1 -p $port -k $dir/socket -c fsync=off" start >/dev/null
    head -n 1 "$dir/data/postmaster.pid" >"$folder/postgresql.pid"
    as_user postgres "$pg_bin/psql" -q -h "$dir/socket" -p "$port" -U postgres -d postgres -v ON_ERROR_STOP=1 \
        -c "CREATE ROLE dorvane LOGIN CREATEDB PASSWORD 'dorvane'" \
        -c "CREATE DATABASE dorvane OWNER dorvane ENCODING 'UTF8' TEMPLATE template0" >/dev/null
    echo "export DORVANE_TEST_PG='DRIVER={PostgreSQL Unicode};Servername=127.0.0.1;Port=$port;Database=dorvane;Username=dorvane;Password=dorvane'" >>"$folder/env.sh"
}

start_mariadb() {
    local dir=$folder/mariadb
    local port
    port=$(free_port 53306)
    mkdir -p "$dir/data"
    local user_args=()
    if [ "$(id -u)" -eq 0 ]; then
        chown -R mysql: "$dir"
        user_args=(--user=mysql)
    fi
    mariadb-install-db --no-defaults --datadir="$dir/data" "${user_args[@]}" \
        --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1
    # The buffer pool holds the benchmarks' million-row tables (about 140 MB), as a server sized for its
    # data would; the default 128 MB makes every full scan read pages again.
    mariadbd --no-defaults --datadir="$dir/data" "${user_args[@]}" --bind-address=127.0.0.1 --port="$port" \
        --socket="$dir/mariadb.sock" --pid-file="$dir/mariadb.pid" --log-error="$dir/server.log" \
        --character-set-server=utf8mb4 --collation-server=utf8mb4_unicode_ci --skip-name-resolve \
        --innodb-flush-log-at-trx-commit=0 --innodb-buffer-pool-size=512M &
    echo $! >"$folder/mariadb.pid"
    wait_for "MariaDB" mariadb --no-defaults --socket="$dir/mariadb.sock" -u root -e "SELECT 1"
    mariadb --no-defaults --socket="$dir/mariadb.sock" -u root -e "
        CREATE USER 'dorvane'@'127.0.0.1' IDENTIFIED BY 'dorvane';
        CREATE USER 'dorvane'@'localhost' IDENTIFIED BY 'dorvane';
        CREATE DATABASE dorvane CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci;
        GRANT ALL PRIVILEGES ON \`dorvane%\`.* TO 'dorvane'@'127.0.0.1';
        GRANT ALL PRIVILEGES ON \`dorvane%\`.* TO 'dorvane'@'localhost';"
    echo "export DORVANE_TEST_MARIADB='DRIVER={MariaDB Unicode};Server=127.0.0.1;Port=$port;Database=dorvane;User=dorvane;Password=dorvane;CharSet=utf8mb4'" >>"$folder/env.sh"
}

stop_by_pid_file() {
    local file=$1
    local signal=$2
    [ -f "$file" ] || return 0
    local pid
    pid=$(cat "$file")
    rm -f "$file"
    [ -n "$pid" ] || return 0
    kill "-$signal" "$pid" 2>/dev/null || return 0
    for _ in $(seq 1 300); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
}

case "$command" in
start)
    if [ -n "$(ls -A "$folder" 2>/dev/null)" ]; then
        echo "$folder is not empty" >&2
        exit 2
    fi
    mkdir -p "$folder"
    # The servers run as their own users and must reach their folders inside.
    chmod 755 "$folder"
    : >"$folder/env.sh"
    start_postgresql
    start_mariadb
    ;;
stop)
    # SIGINT is PostgreSQL's fast shutdown; SIGTERM shuts MariaDB down cleanly.
    stop_by_pid_file "$folder/postgresql.pid" INT
    stop_by_pid_file "$folder/mariadb.pid" TERM
    ;;
*)
    echo "usage: $0 start|stop FOLDER" >&2
    exit 2
    ;;
esac
