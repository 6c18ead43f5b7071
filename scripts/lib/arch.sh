# Which Windows architectures this machine can run under Wine, and how to start each one.
# Sourced by the set-up, build, test and run scripts.
#
#   suite_can_exec_32bit     true when this kernel executes 32-bit x86 programs
#   suite_wine_loader ARCH   Wine's loader for x86 or x64 programs
#   suite_loader_runs ARCH   true when that loader is installed and starts here
#   suite_run_arch           the architecture to run the suite on: SUITE_RUN_ARCH, else x86
#                            where 32-bit programs run, else x64
#   suite_choose_archs       sets SUITE_ARCHS (what to test) and SUITE_ARCH_NOTES (why), from
#                            SUITE_TEST_ARCH=x86|x64|both|auto and what the machine can do;
#                            returns 1 when a forced choice cannot run here

suite_all_archs="x86 x64"

# Some kernels run with 32-bit emulation switched off: every i386 program, Wine's 32-bit
# loader included, then fails with "Exec format error". A 96-byte i386 program that exits
# with 42 tells, before any 32-bit package is installed.
suite_can_exec_32bit() {
    local probe status=0
    # SUITE_CAN_EXEC_32BIT=0 plays a machine without 32-bit execution (to try that path).
    case ${SUITE_CAN_EXEC_32BIT:-} in 0) return 1 ;; 1) return 0 ;; esac
    probe=$(mktemp "${TMPDIR:-/tmp}/exec32.XXXXXX") || return 1
    # ELF header, one loadable segment, then: mov eax,1; mov ebx,42; int 0x80.
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000'\
'\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000'\
'\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000'\
'\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010'\
'\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000'\
'\270\001\000\000\000\273\052\000\000\000\315\200' >"$probe"
    chmod +x "$probe"
    timeout -k 2 5 "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

suite_wine_loader() {
    case $1 in
    x86) echo /usr/lib/wine/wine ;;
    x64) echo /usr/lib/wine/wine64 ;;
    *) return 1 ;;
    esac
}

suite_loader_runs() {
    local loader
    loader=$(suite_wine_loader "$1") || return 1
    [ -x "$loader" ] && timeout -k 2 20 "$loader" --version >/dev/null 2>&1
}

suite_choose_archs() {
    local want=${SUITE_TEST_ARCH:-auto} can32=0
    suite_can_exec_32bit && can32=1
    SUITE_ARCHS="" SUITE_ARCH_NOTES=""
    case $want in
    auto | "")
        if [ $can32 = 1 ] && ! suite_loader_runs x86; then
            SUITE_ARCHS="x64"
            SUITE_ARCH_NOTES="x64 tested; x86 not tested: 32-bit Wine is not installed or does not start here"
        elif [ $can32 = 1 ]; then
            SUITE_ARCHS="x86 x64"
            SUITE_ARCH_NOTES="x86 and x64 tested: this machine executes 32-bit and 64-bit programs"
        else
            SUITE_ARCHS="x64"
            SUITE_ARCH_NOTES="x64 tested; x86 not tested: this machine cannot execute 32-bit programs"
        fi
        ;;
    both | x86)
        if [ $can32 = 0 ]; then
            SUITE_ARCH_NOTES="SUITE_TEST_ARCH=$want, but this machine cannot execute 32-bit programs: x86 cannot be tested here"
            return 1
        fi
        if [ "$want" = both ]; then
            SUITE_ARCHS="x86 x64"
            SUITE_ARCH_NOTES="x86 and x64 tested (SUITE_TEST_ARCH=both)"
        else
            SUITE_ARCHS="x86"
            SUITE_ARCH_NOTES="x86 tested; x64 not tested: SUITE_TEST_ARCH=x86"
        fi
        ;;
    x64)
        SUITE_ARCHS="x64"
        SUITE_ARCH_NOTES="x64 tested; x86 not tested: SUITE_TEST_ARCH=x64"
        ;;
    *)
        SUITE_ARCH_NOTES="SUITE_TEST_ARCH must be x86, x64, both or auto, not '$want'"
        return 1
        ;;
    esac
}

suite_run_arch() {
    case ${SUITE_RUN_ARCH:-} in
    x86 | x64) echo "$SUITE_RUN_ARCH" ;;
    "") if suite_can_exec_32bit && suite_loader_runs x86; then echo x86; else echo x64; fi ;;
    *) echo "SUITE_RUN_ARCH must be x86 or x64, not '$SUITE_RUN_ARCH'" >&2; return 1 ;;
    esac
}
