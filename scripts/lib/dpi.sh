# The DPI the programs run at under Wine: one for the whole prefix, `LogPixels` (REG_DWORD)
# under HKCU\Control Panel\Desktop, which every program reads when it starts.
# Sourced by wine-exec, run.sh and screenshots.sh.
#
#   suite_dpi VALUE          prints VALUE clamped to 96..288 (96, 120, 144, 192 are 100, 125,
#                            150 and 200 %); fails with a message when it is not a number
#   suite_set_dpi DPI        writes it into $WINEPREFIX (the next program started uses it)
#   suite_current_dpi        the prefix's value, empty when it has none

suite_dpi_key='HKCU\Control Panel\Desktop'

suite_dpi() {
    local value=$1
    if ! [[ $value =~ ^[0-9]{1,6}$ ]]; then
        echo "DPI '$value' is not a number (96, 120, 144, 192 ...)" >&2
        return 2
    fi
    value=$((10#$value))
    if [ "$value" -lt 96 ]; then
        value=96
    elif [ "$value" -gt 288 ]; then
        value=288
    fi
    echo "$value"
}

suite_set_dpi() {
    wine reg add "$suite_dpi_key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}

suite_current_dpi() {
    local line
    line=$(wine reg query "$suite_dpi_key" /v LogPixels 2>/dev/null | tr -d '\r' |
        grep -i 'LogPixels') || return 0
    # "    LogPixels    REG_DWORD    0x90"
    printf '%d\n' "$(awk '{print $3}' <<<"$line")"
}
