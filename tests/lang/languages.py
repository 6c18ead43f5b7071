"""The programs that carry texts, their languages and where their resources live; shared by
the catalogue check (the lang/*.rc sources) and the resource check (the linked binaries)."""

import os
import re
from dataclasses import dataclass, field

# Tag of a language file -> (Windows language id, ANSI code page of that language).
NARROW_LANGUAGES = {
    "zh-TW": (1028, "cp950"),
    "cs-CZ": (1029, "cp1250"),
    "da-DK": (1030, "cp1252"),
    "de-DE": (1031, "cp1252"),
    "el-GR": (1032, "cp1253"),
    "en-US": (1033, "cp1252"),
    "fi-FI": (1035, "cp1252"),
    "fr-FR": (1036, "cp1252"),
    "it-IT": (1040, "cp1252"),
    "ja-JP": (1041, "cp932"),
    "ko-KR": (1042, "cp949"),
    "nl-NL": (1043, "cp1252"),
    "nb-NO": (1044, "cp1252"),
    "pl-PL": (1045, "cp1250"),
    "ru-RU": (1049, "cp1251"),
    "sv-SE": (1053, "cp1252"),
    "tr-TR": (1055, "cp1254"),
    "zh-CN": (2052, "cp936"),
    "pt-PT": (2070, "cp1252"),
    "es-ES": (3082, "cp1252"),
}

# The switcher is a wide program: its texts need no code page.
SWITCHER_LANGUAGES = {
    "de": (7, None),
    "es": (10, None),
    "fr": (12, None),
    "it": (16, None),
    "no": (20, None),
    "sv": (29, None),
    "da-DK": (1030, None),
    "en-US": (1033, None),
    "es-ES_tradnl": (1034, None),
    "fi-FI": (1035, None),
    "en-GB": (2057, None),
}

REFERENCE = "en-US"


@dataclass
class Program:
    name: str
    binary: str  # file name of the linked program
    res_dir: str  # holds Layout.rc and lang/, relative to the source root
    languages: dict
    narrow: bool
    # Resource types (numbers) that exist once, language-neutral, and never per language.
    neutral_types: set = field(default_factory=set)
    # Whether its manifest must declare per-monitor DPI awareness (the programs with windows).
    dpi_manifest: bool = False

    def lang_dir(self, root):
        return os.path.join(root, self.res_dir, "lang")

    def layout(self, root):
        return os.path.join(root, self.res_dir, "Layout.rc")

    def language_ids(self):
        return {lang_id for lang_id, _ in self.languages.values()}


RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 6, 14, 16, 24
ICONS_AND_VERSION = {RT_ICON, RT_GROUP_ICON, RT_VERSION}

PROGRAMS = {
    "applet": Program("applet", "Vumo.cpl", "applet/res", NARROW_LANGUAGES, True,
                      ICONS_AND_VERSION | {RT_MANIFEST}, dpi_manifest=True),
    "tray": Program("tray", "Halvik.exe", "tray", NARROW_LANGUAGES, True,
                    ICONS_AND_VERSION | {RT_MANIFEST}, dpi_manifest=True),
    "installer": Program("installer", "Tobrinel.dll", "installer", NARROW_LANGUAGES, True,
                         ICONS_AND_VERSION),
    # The popup's dialog and its skin archive hold no text.
    "switcher": Program("switcher", "Pivora.exe", "switcher", SWITCHER_LANGUAGES, False,
                        ICONS_AND_VERSION | {RT_DIALOG, RT_MANIFEST, "TAR"},
                        dpi_manifest=True),
}

# The constants the resource compiler knows, from the headers it reads; the few this suite
# uses are here too, for machines without them.
_HEADER_PATHS = ["/usr/share/mingw-w64/include/winnt.rh",
                 "/usr/x86_64-w64-mingw32/include/winnt.rh",
                 "/usr/i686-w64-mingw32/include/winnt.rh"]
_KNOWN = {
    "LANG_NEUTRAL": 0x00, "LANG_CHINESE": 0x04, "LANG_CZECH": 0x05, "LANG_DANISH": 0x06,
    "LANG_GERMAN": 0x07, "LANG_GREEK": 0x08, "LANG_ENGLISH": 0x09, "LANG_SPANISH": 0x0a,
    "LANG_FINNISH": 0x0b, "LANG_FRENCH": 0x0c, "LANG_ITALIAN": 0x10, "LANG_JAPANESE": 0x11,
    "LANG_KOREAN": 0x12, "LANG_DUTCH": 0x13, "LANG_NORWEGIAN": 0x14, "LANG_POLISH": 0x15,
    "LANG_PORTUGUESE": 0x16, "LANG_RUSSIAN": 0x19, "LANG_SWEDISH": 0x1d, "LANG_TURKISH": 0x1f,
    "SUBLANG_NEUTRAL": 0x00, "SUBLANG_DEFAULT": 0x01, "SUBLANG_CHINESE_TRADITIONAL": 0x01,
    "SUBLANG_CHINESE_SIMPLIFIED": 0x02, "SUBLANG_ENGLISH_US": 0x01, "SUBLANG_ENGLISH_UK": 0x02,
    "SUBLANG_GERMAN": 0x01, "SUBLANG_FRENCH": 0x01, "SUBLANG_ITALIAN": 0x01,
    "SUBLANG_DUTCH": 0x01, "SUBLANG_NORWEGIAN_BOKMAL": 0x01, "SUBLANG_PORTUGUESE": 0x02,
    "SUBLANG_SPANISH": 0x01, "SUBLANG_SPANISH_MODERN": 0x03, "SUBLANG_SWEDISH": 0x01,
    "SUBLANG_KOREAN": 0x01,
}
_constants = None


def language_constants():
    global _constants
    if _constants is None:
        _constants = dict(_KNOWN)
        for path in _HEADER_PATHS:
            if os.path.exists(path):
                with open(path, encoding="latin-1") as header:
                    for m in re.finditer(r"^#define\s+((?:SUB)?LANG_\w+)\s+(0x[0-9a-fA-F]+|\d+)\b",
                                         header.read(), re.M):
                        _constants[m.group(1)] = int(m.group(2), 0)
                break
    return _constants


def language_value(token):
    """The number a LANGUAGE operand stands for, or None when the compiler would not know it."""
    token = token.strip()
    if re.fullmatch(r"0x[0-9a-fA-F]+|\d+", token):
        return int(token, 0)
    return language_constants().get(token)


def make_lang_id(primary, sub):
    return (sub << 10) | primary
