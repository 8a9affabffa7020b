#!/usr/bin/env bash
# Generates the benchmark data into the build folder and runs every benchmark; the benchmark
# program prints one table. Further arguments go to the benchmark program
# (for example --benchmark_repetitions=9 or --benchmark_filter=Post).
#
#   bench/run.sh <build folder> [--benchmark_... flags]
set -euo pipefail

build="$(cd "${1:?usage: bench/run.sh <build folder> [flags]}" && pwd)"
shift
twgen="$build/twgen"
data="$build/bench-data"
drive="$data/drive_f"

rm -rf "$data"
mkdir -p "$drive/EST" "$drive/LUMO/DATA" "$drive/EMPTY" "$drive/LEDGER"

# A settings file: the value and CR LF.
setting() { printf '%s\r\n' "$2" >"$1"; }

# Two program folders on the same drive F:, one whose estimating folder holds the full lists
# and one whose lists are empty.
program_folder() {
    local prog="$1" est="$2"
    mkdir -p "$prog/dosdevices"
    ln -sfn "$drive" "$prog/dosdevices/f:"
    setting "$prog/estloc.dat" "$est"
    setting "$prog/Ledger.dat" 'F:\LEDGER'
    setting "$prog/Check.Dat" 0
    setting "$prog/interface.dat" 0
    setting "$prog/DefTax.Dat" 6
}
program_folder "$data/prog" 'F:\EST'
program_folder "$data/prog-empty" 'F:\EMPTY'

echo "== generating the benchmark data in $data" >&2
# Interface 0: the export in \EST\ of the ledger folder's drive; 1: CUSTOMER.FIL in \LUMO\DATA\.
printf '0   \\EST\\              BENCH\r\n' >"$drive/EST/QLCUST"
printf '1   \\LUMO\\DATA\\        BENCH\r\n' >"$drive/LUMO/QLCUST"
printf '0   \\EMPTY\\            BENCH\r\n' >"$drive/EMPTY/QLCUST"
"$twgen" export "$drive/EST/QUILLBAR.CLI" 50000
"$twgen" custfile "$drive/LUMO/DATA/CUSTOMER.FIL" 50000
"$twgen" products "$drive/EST/product.dat" 999
"$twgen" wip "$drive/EST" 200000
"$twgen" export "$drive/EMPTY/QUILLBAR.CLI" 0
"$twgen" products "$drive/EMPTY/product.dat" 0
"$twgen" index "$drive/LEDGER/ledger.ndx" 32767
"$twgen" ledger "$drive/LEDGER/led00001.dat" 10000
"$twgen" ledger "$drive/LEDGER/led00002.dat" 10
"$twgen" ledger "$drive/LEDGER/led00003.dat" 100000
# A ledger folder for the folder check: every customer indexed, 1,000 of them with a ledger.
"$twgen" ledgers "$drive/CHECK" 32767 1000 100
# Posting from a file: 1,000 customers with ledgers of 100 entries, and their invoices.
"$twgen" ledgers "$drive/BATCH" 1000 1000 100
"$twgen" csv "$data/batch10000.csv" 10000 1000
"$twgen" csv "$data/batch100000.csv" 100000 1000
# Ledger folders for finding and the activity report: 1,000 ledgers of 100 entries, and an index
# of 32,767 customers each with a ledger of 10 entries.
"$twgen" ledgers "$drive/FIND1000" 1000 1000 100
"$twgen" ledgers "$drive/FIND32767" 32767 32767 10
# The files were just written: flushing them now keeps the write-back out of the timings.
sync

echo "== running the benchmarks (a few minutes; one dot per result)" >&2
QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 "$build/bench/tw_bench" "$data" "$@"
