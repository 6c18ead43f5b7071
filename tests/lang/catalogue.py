#!/usr/bin/env python3
"""Checks the language files of every program against English.

    catalogue.py [--root DIR] [--program NAME]... [--partial]

Each program's lang/<tag>.rc defines its TXT_ texts and includes the program's Layout.rc. For
every file: the LANGUAGE line names the id of its tag, the texts are exactly those of English,
printf conversions and list separators match English, accelerators are there where English has
one and unique within each dialog and menu and across the dialogs on screen together, and the texts of the narrow programs fit their
language's ANSI code page and byte limits. Every listed language must have its file (--partial
skips that rule while translations are still coming). Each problem is printed as
"file: TEXT: rule"; the exit status is 1 when there is any.
"""

import argparse
import os
import re
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from languages import PROGRAMS, REFERENCE, language_value, make_lang_id  # noqa: E402


class RcError(Exception):
    pass


# ---------------------------------------------------------------------------------- parsing

_ESCAPES = {"n": "\n", "t": "\t", "r": "\r", "a": "\a", "\\": "\\", '"': '"', "'": "'"}


def decode_literals(source, where):
    """The text of one or more adjacent "..." literals, with C escapes and "" as a quote."""
    out = []
    i = 0
    n = len(source)
    while True:
        while i < n and source[i] in " \t":
            i += 1
        if i == n:
            break
        if source.startswith('L"', i):
            raise RcError(f'{where}: L"..." texts are not read as UTF-8 by the resource '
                          'compiler; write "..."')
        if source[i] != '"':
            raise RcError(f"{where}: expected a quoted text, found {source[i:]!r}")
        i += 1
        while True:
            if i >= n:
                raise RcError(f"{where}: the text has no closing quote")
            c = source[i]
            if c == '"':
                if i + 1 < n and source[i + 1] == '"':
                    out.append('"')
                    i += 2
                    continue
                i += 1
                break
            if c == "\\" and i + 1 < n:
                e = source[i + 1]
                if e in _ESCAPES:
                    out.append(_ESCAPES[e])
                    i += 2
                elif e == "x":
                    m = re.match(r"[0-9a-fA-F]{1,4}", source[i + 2:])
                    if not m:
                        raise RcError(f"{where}: \\x without hex digits")
                    out.append(chr(int(m.group(0), 16)))
                    i += 2 + len(m.group(0))
                elif e.isdigit():
                    m = re.match(r"[0-7]{1,3}", source[i + 1:])
                    out.append(chr(int(m.group(0), 8)))
                    i += 1 + len(m.group(0))
                else:
                    raise RcError(f"{where}: unknown escape \\{e}")
                continue
            out.append(c)
            i += 1
    return "".join(out)


class LanguageFile:
    """What one lang/<tag>.rc holds: its texts, its LANGUAGE line and its pragma."""

    def __init__(self, path):
        self.path = path
        self.tag = os.path.splitext(os.path.basename(path))[0]
        self.texts = {}
        self.language = None  # (primary token, sub token)
        self.code_page = None
        self.includes_layout = False
        self.problems = []
        with open(path, "rb") as f:
            raw = f.read()
        try:
            source = raw.decode("utf-8")
        except UnicodeDecodeError as e:
            self.problems.append(f"{path}: not UTF-8 (byte {e.start}); save the file as UTF-8")
            return
        # Joined continuation lines keep their line number for messages.
        lines = source.replace("\\\r\n", "").replace("\\\n", "").splitlines()
        for number, line in enumerate(lines, 1):
            where = f"{path}:{number}"
            stripped = line.strip()
            m = re.match(r"#\s*define\s+(TXT_\w+)\s+(.*)$", stripped)
            if m:
                name = m.group(1)
                if name in self.texts:
                    self.problems.append(f"{where}: {name}: defined twice")
                try:
                    self.texts[name] = decode_literals(m.group(2).strip(), f"{where}: {name}")
                except RcError as e:
                    self.problems.append(str(e))
                continue
            m = re.match(r"#\s*pragma\s+code_page\s*\(\s*(\w+)\s*\)", stripped)
            if m:
                self.code_page = m.group(1)
                continue
            m = re.match(r"LANGUAGE\s+([\w]+)\s*,\s*([\w]+)", stripped)
            if m:
                if self.language is not None:
                    self.problems.append(f"{where}: a second LANGUAGE line")
                self.language = (m.group(1), m.group(2))
                continue
            if re.match(r'#\s*include\s+"\.\./Layout\.rc"', stripped):
                if self.language is None:
                    self.problems.append(f"{where}: the layout is included before the "
                                         "LANGUAGE line")
                self.includes_layout = True


def layout_blocks(path):
    """The TXT_ names used in each DIALOG and MENU block of a layout: {block: [names]}."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    blocks = {}
    current = None
    depth = 0
    for line in lines:
        code = line.split("//", 1)[0]
        words = code.split()
        if current is None:
            if len(words) >= 2 and words[1] in ("DIALOG", "DIALOGEX", "MENU", "MENUEX"):
                current = f"{words[1].replace('EX', '')} {words[0]}"
                blocks[current] = []
                depth = 0
            continue
        blocks[current].extend(re.findall(r"\bTXT_\w+", code))
        for w in words:
            if w in ("BEGIN", "{"):
                depth += 1
            elif w in ("END", "}"):
                depth -= 1
                if depth == 0:
                    current = None
    return blocks


def layout_names(path):
    with open(path, encoding="utf-8") as f:
        return set(re.findall(r"\bTXT_\w+", re.sub(r"//.*", "", f.read())))


# ------------------------------------------------------------------------------------ rules

_CONVERSION = re.compile(
    r"%(?P<flags>[-+ #0]*)(?P<width>\*|\d+)?(?:\.(?P<precision>\*|\d+))?"
    r"(?P<length>hh|h|ll|l|L|I64|I32|I|z|j|t|w)?(?P<type>[diouxXeEfFgGaAcCsSpn])")


def conversions(text):
    """The conversion sequence of a printf format, as length + type ("d", "s", "ld"), "%%"
    aside; a '%' that starts no conversion gives "?"."""
    out = []
    i = 0
    while i < len(text):
        if text[i] != "%":
            i += 1
            continue
        if text.startswith("%%", i):
            i += 2
            continue
        m = _CONVERSION.match(text, i)
        if m:
            out.append((m.group("length") or "") + m.group("type"))
            i = m.end()
        else:
            out.append("?")
            i += 1
    return out


def accelerators(text):
    """The characters marked with a single '&' ("&&" is a literal ampersand)."""
    out = []
    i = 0
    while i < len(text):
        if text[i] == "&":
            if i + 1 < len(text) and text[i + 1] == "&":
                i += 2
                continue
            if i + 1 < len(text):
                out.append(text[i + 1])
            else:
                out.append("")
        i += 1
    return out


def fill_format(text, strings, number):
    """A format filled as the programs fill it: "%s" with the next text, "%d" with the number,
    "%%" as "%"."""
    parts = iter(strings)
    out = []
    i = 0
    while i < len(text):
        if text.startswith("%%", i):
            out.append("%")
            i += 2
        elif text.startswith("%s", i):
            out.append(next(parts, ""))
            i += 2
        elif text.startswith("%d", i):
            out.append(str(number))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


# Lists split at run time: the number of separators is the number of choices less one.
LISTS = {
    "applet": {
        "TXT_ACTION_LIST": ",", "TXT_COOLING_LIST": ",", "TXT_CPU_LIST": ",",
        "TXT_BRIGHTNESS_LIST": ",", "TXT_TIMEOUT_LIST": ",", "TXT_HIBERNATE_LIST": ",",
        "TXT_NOTIFY_SOUND": ",", "TXT_NOTIFY_TEXT": ",", "TXT_NO_ACTION": ",",
        "TXT_APPLET_ITEM": "\n",
    },
    "switcher": {"TXT_POWER_ACTIONS": ";", "TXT_BATTERY_TEXTS": "\t", "TXT_SWITCHER_INFO": ";"},
}


# Templates on screen together, which share one keyboard: each page is a child of its dialog
# (DS_CONTROL under WS_EX_CONTROLPARENT), so Alt+key reaches the page and the dialog's buttons.
SCREENS = {
    "applet": [("IDD_PMDLG", page) for page in ("IDD_MODES_PAGE", "IDD_ALARM_PAGE",
                                                "IDD_ADVANCED_PAGE", "IDD_BATTERY_PAGE")] +
              [("IDD_SCHEME_PROPERTIES", page) for page in ("IDD_GENERAL_PAGE",
                                                            "IDD_SETTINGS_PAGE")],
}


def check_screens(program, texts, blocks, report):
    """Keys unique across the templates of each screen (within one template, check_file)."""
    for templates in SCREENS.get(program, []):
        seen = {}
        for template in templates:
            for name in blocks.get(f"DIALOG {template}", []):
                for key in accelerators(texts.get(name, "")):
                    folded = key.casefold()
                    if not folded.strip():
                        continue
                    other = seen.get(folded)
                    if other and other[1] != template:
                        report(name, f"accelerator '{key}' is also taken by {other[0]} of "
                                     f"{other[1]}, on screen with {template}")
                    seen.setdefault(folded, (name, template))


def check_lists(program, name, text, english, report):
    separator = LISTS.get(program, {}).get(name)
    if separator is None:
        return
    shown = {",": "','", ";": "';'", "\t": "tab", "\n": "\\n"}[separator]
    want, got = english.split(separator), text.split(separator)
    if len(got) != len(want):
        report(name, f"{len(got) - 1} {shown} separators where English has {len(want) - 1}")
        return
    for index, (mine, theirs) in enumerate(zip(got, want)):
        if theirs.strip() and not mine.strip():
            report(name, f"item {index + 1} between the {shown} separators is empty")
        if not theirs and mine:
            report(name, f"item {index + 1} must stay empty as in English (the text ends with "
                         f"its {shown})")
    if name == "TXT_BATTERY_TEXTS" and got[:2] != [" ", " "]:
        report(name, "the first two tab-separated texts must be single blanks")
    if name == "TXT_SWITCHER_INFO" and got[1:] != want[1:]:
        report(name, "the file names after the first ';' stay as in English")


def encoded(text, code_page):
    return text.encode(code_page)


def check_code_page(name, text, code_page, report):
    for ch in text:
        try:
            ch.encode(code_page)
        except UnicodeEncodeError:
            report(name, f"'{ch}' (U+{ord(ch):04X}) cannot be written in code page "
                         f"{code_page[2:]}, which the program's texts reach it in")
            return False
    return True


def check_byte_limits(program, texts, code_page, report, reference=False):
    def size(text):
        return len(encoded(text, code_page))

    if program == "applet" and "TXT_APPLET_ITEM" in texts:
        pieces = (texts["TXT_APPLET_ITEM"].split("\n") + ["", "", ""])[:3]
        for what, piece, limit in zip(("name", "info", "help file"), pieces, (31, 63, 127)):
            if size(piece) > limit:
                report("TXT_APPLET_ITEM", f"the item's {what} takes {size(piece)} bytes in code "
                                          f"page {code_page[2:]}, at most {limit}")
    if program == "installer":
        for name in sorted(n for n in texts if n.startswith("TXT_NAME_")):
            if size(texts[name]) > 30:
                report(name, f"a mode name takes {size(texts[name])} bytes in code page "
                             f"{code_page[2:]}, at most 30")
    if program == "tray" and "TXT_ON_AC_POWER" in texts and "TXT_ON_BATTERY_POWER" in texts:
        power = max(texts["TXT_ON_AC_POWER"], texts["TXT_ON_BATTERY_POWER"], key=size)
        if "TXT_TIP_MODE" in texts:
            frame = size(fill_format(texts["TXT_TIP_MODE"], [power, ""], 100))
            # English is the described text, 52 bytes; a translation leaves the name more.
            if frame > 50 and not reference:
                report("TXT_TIP_MODE", f"with \"{power}\", no mode name and 100 the tip takes "
                                       f"{frame} bytes, at most 50 (13 are left for the name)")
        if "TXT_TIP_READ_ONLY" in texts:
            tip = size(fill_format(texts["TXT_TIP_READ_ONLY"], [power], 100))
            if tip > 63:
                report("TXT_TIP_READ_ONLY", f"with \"{power}\" and 100 the tip takes {tip} "
                                            "bytes, at most the 63 the shell shows")


def check_file(program, lang_file, english, blocks, used):
    """Problems of one language file, each as "path: TEXT: rule"."""
    problems = list(lang_file.problems)

    def report(name, rule):
        problems.append(f"{lang_file.path}: {name}: {rule}")

    expected = program.languages.get(lang_file.tag)
    if expected is None:
        problems.append(f"{lang_file.path}: {lang_file.tag} is not a language of the "
                        f"{program.name} (name the file after one of: "
                        f"{', '.join(sorted(program.languages))})")
    if lang_file.code_page != "65001":
        problems.append(f"{lang_file.path}: needs #pragma code_page(65001) before its texts")
    if not lang_file.includes_layout:
        problems.append(f'{lang_file.path}: must end with #include "../Layout.rc"')
    if lang_file.language is None:
        problems.append(f"{lang_file.path}: has no LANGUAGE line")
    elif expected is not None:
        primary, sub = (language_value(t) for t in lang_file.language)
        if primary is None or sub is None:
            problems.append(f"{lang_file.path}: LANGUAGE {', '.join(lang_file.language)}: "
                            "unknown to the resource compiler")
        elif make_lang_id(primary, sub) != expected[0]:
            problems.append(f"{lang_file.path}: LANGUAGE {', '.join(lang_file.language)} is "
                            f"{make_lang_id(primary, sub)}, but {lang_file.tag} is "
                            f"{expected[0]}")

    texts = lang_file.texts
    for name in sorted(set(english.texts) - set(texts)):
        report(name, "missing (English has it)")
    for name in sorted(set(texts) - set(english.texts)):
        report(name, "not a text of English (misspelt or left over)")
    for name in sorted(set(english.texts) - used):
        if lang_file.tag == REFERENCE:
            report(name, "defined but not used by the layout")

    for name in sorted(set(texts) & set(english.texts)):
        text, reference = texts[name], english.texts[name]
        if "%" in reference:
            mine, theirs = conversions(text), conversions(reference)
            if mine != theirs:
                report(name, f"printf conversions {' '.join('%' + c for c in mine) or 'none'} "
                             f"where English has {' '.join('%' + c for c in theirs)} in that "
                             "order (write %% for a percent sign)")
        if len(accelerators(text)) != len(accelerators(reference)):
            if accelerators(reference):
                report(name, "needs one '&' before its accelerator key, as English has")
            else:
                report(name, f"has an '&' where English has none (write && for an ampersand)")
        check_lists(program.name, name, text, reference, report)

    code_page = expected[1] if expected else None
    if program.narrow and code_page:
        fits = all([check_code_page(name, texts[name], code_page, report)
                    for name in sorted(texts)])
        if fits:
            check_byte_limits(program.name, texts, code_page, report,
                              lang_file.tag == REFERENCE)

    for block, names in blocks.items():
        seen = {}
        for name in names:
            for key in accelerators(texts.get(name, "")):
                if not key.strip():
                    report(name, f"'&' is not followed by a key in {block}")
                    continue
                folded = key.casefold()
                if folded in seen and seen[folded] != name:
                    report(name, f"accelerator '{key}' is also taken by {seen[folded]} in "
                                 f"{block}")
                elif folded in seen:
                    report(name, f"used twice in {block}, so its accelerator '{key}' is too")
                seen.setdefault(folded, name)
    check_screens(program.name, texts, blocks, report)
    return problems


def check_program(root, program, partial=False):
    lang_dir = program.lang_dir(root)
    files = sorted(f for f in os.listdir(lang_dir) if f.endswith(".rc"))
    english_path = os.path.join(lang_dir, REFERENCE + ".rc")
    if not os.path.exists(english_path):
        return [f"{english_path}: missing: English is the reference of every language"]
    english = LanguageFile(english_path)
    blocks = layout_blocks(program.layout(root))
    used = layout_names(program.layout(root))
    problems = []
    for name in files:
        lang_file = english if name == REFERENCE + ".rc" else LanguageFile(
            os.path.join(lang_dir, name))
        problems.extend(check_file(program, lang_file, english, blocks, used))
    if not partial:
        present = {os.path.splitext(f)[0] for f in files}
        for tag in sorted(set(program.languages) - present):
            problems.append(f"{os.path.join(lang_dir, tag + '.rc')}: missing: {tag} "
                            f"({program.languages[tag][0]}) is a language of the "
                            f"{program.name}")
    return problems


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--root", default=os.path.normpath(os.path.join(here, "..", "..")))
    parser.add_argument("--program", action="append", choices=sorted(PROGRAMS))
    parser.add_argument("--partial", action="store_true",
                        help="do not require every listed language")
    args = parser.parse_args(argv)
    problems = []
    counts = []
    for name in args.program or sorted(PROGRAMS):
        program = PROGRAMS[name]
        problems.extend(check_program(args.root, program, args.partial))
        present = [f for f in os.listdir(program.lang_dir(args.root)) if f.endswith(".rc")]
        counts.append(f"{name} {len(present)}/{len(program.languages)}")
    for p in problems:
        print(p)
    print(f"language files: {', '.join(counts)}; "
          f"{len(problems)} problem{'s' if len(problems) != 1 else ''}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
