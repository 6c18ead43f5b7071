#!/usr/bin/env bash
# Runs the text fit check once per language, each under that language's locale, so that every
# dialog is measured in the font a system of that language gives it; then, in one run, the
# switcher's languages.
#
#   text_fit.sh SESSION_DIR WINE_EXEC CHECKER.exe VUMO.cpl HALVIK.exe TOBRINEL.dll PIVORA.exe
#               [TAG...]
#
# The tags, or TEXT_FIT_LANGUAGES=ja-JP,ko-KR in the environment, choose some languages.
# TEXT_FIT_DPI=144 measures at that DPI (the dialogs' fonts and room grow with it);
# TEXT_FIT_PARTS=programs or switcher checks only the applet, tray and installer or only the
# switcher (both by default).
# Each text that does not fit is one line "DOES NOT FIT: program language dialog control
# "text": by how much"; the status is 1 when there is any.
set -uo pipefail
[ $# -ge 7 ] || { sed -n '5,14p' "$0" >&2; exit 2; }
S=$1 exec_=$2 checker=$3
shift 3
modules=()
for m in "$1" "$2" "$3"; do modules+=("Z:$m"); done
shift 3
pivora="Z:$1"
shift
if [ $# -eq 0 ] && [ -n "${TEXT_FIT_LANGUAGES:-}" ]; then
    IFS=, read -r -a chosen <<<"$TEXT_FIT_LANGUAGES"
    set -- "${chosen[@]}"
fi
dpi=()
if [ -n "${TEXT_FIT_DPI:-}" ]; then
    dpi=(--dpi "$TEXT_FIT_DPI")
fi
parts=${TEXT_FIT_PARTS:-all}
case $parts in all | programs | switcher) ;; *) echo "text_fit: parts '$parts'?" >&2; exit 2 ;; esac
# Tag, Windows language id, the locale Wine takes that system language from.
languages="zh-TW 1028 zh_TW
cs-CZ 1029 cs_CZ
da-DK 1030 da_DK
de-DE 1031 de_DE
el-GR 1032 el_GR
en-US 1033 en_US
fi-FI 1035 fi_FI
fr-FR 1036 fr_FR
it-IT 1040 it_IT
ja-JP 1041 ja_JP
ko-KR 1042 ko_KR
nl-NL 1043 nl_NL
nb-NO 1044 nb_NO
pl-PL 1045 pl_PL
ru-RU 1049 ru_RU
sv-SE 1053 sv_SE
tr-TR 1055 tr_TR
zh-CN 2052 zh_CN
pt-PT 2070 pt_PT
es-ES 3082 es_ES"
status=0 checked=0
while read -r tag id locale; do
    if [ "$parts" = switcher ] || { [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$tag"; }; then
        continue
    fi
    checked=$((checked + 1))
    # The locale is Wine's, not the shell's: its warnings about a locale it lacks are dropped.
    LC_ALL=$locale.UTF-8 "$exec_" "${dpi[@]}" "$S" 60 "$checker" "$tag" "$id" "${modules[@]}" \
        2> >(grep -v 'setlocale' >&2) | tr -d '\r' || status=1
done <<<"$languages"
# The switcher's languages (tag=id), checked in one run: its texts are wide and its font GDI+'s.
switcher=()
for pair in de=7 es=10 fr=12 it=16 no=20 sv=29 da-DK=1030 en-US=1033 es-ES_tradnl=1034 \
    fi-FI=1035 en-GB=2057; do
    if [ "$parts" = programs ]; then
        break
    fi
    if [ $# -eq 0 ] || printf '%s\n' "$@" | grep -qx "${pair%=*}"; then
        switcher+=("$pair")
    fi
done
if [ ${#switcher[@]} -gt 0 ]; then
    checked=$((checked + 1))
    LC_ALL=en_US.UTF-8 "$exec_" "${dpi[@]}" "$S" 60 "$checker" --switcher "$pivora" "${switcher[@]}" \
        2> >(grep -v 'setlocale' >&2) | tr -d '\r' || status=1
    # The popup at 150 %: its fonts and text boxes grow together, but not in the same steps.
    LC_ALL=en_US.UTF-8 "$exec_" "$S" 60 "$checker" --switcher "$pivora" --dpi 144 \
        "${switcher[@]}" 2> >(grep -v 'setlocale' >&2) | tr -d '\r' || status=1
fi
[ $checked -gt 0 ] || { echo "text_fit: no language matches '$*'" >&2; exit 2; }
exit $status
