#!/usr/bin/env python3
"""The language checks themselves: each rule catches a damaged translation, and the real
English files pass."""

import os
import re
import shutil
import struct
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, HERE)

import catalogue  # noqa: E402
import resources  # noqa: E402
from languages import PROGRAMS  # noqa: E402


class Tree:
    """A copy of the programs' layouts and English texts in which a test writes translations."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="lang-check-")
        for program in PROGRAMS.values():
            lang = program.lang_dir(self.root)
            os.makedirs(lang)
            shutil.copy(program.layout(ROOT), program.layout(self.root))
            shutil.copy(os.path.join(program.lang_dir(ROOT), "en-US.rc"), lang)

    def translate(self, program, tag, language, changes=(), drop=()):
        """Writes lang/<tag>.rc: English with the LANGUAGE operands and some texts replaced
        ({name: text} in changes, written as a literal) and some removed."""
        program = PROGRAMS[program]
        with open(os.path.join(program.lang_dir(self.root), "en-US.rc"), encoding="utf-8") as f:
            source = f.read()
        source = re.sub(r"^LANGUAGE .*$", f"LANGUAGE {language}", source, flags=re.M)
        for name, text in dict(changes).items():
            literal = '"' + text.replace("\\", "\\\\").replace('"', '\\"').replace(
                "\n", "\\n").replace("\t", "\\t") + '"'
            source, count = re.subn(rf"^#define {name} .*$",
                                    lambda _, line=f"#define {name} {literal}": line, source,
                                    flags=re.M)
            assert count == 1, name
        for name in drop:
            source = re.sub(rf"^#define {name} .*\n", "", source, flags=re.M)
        with open(os.path.join(program.lang_dir(self.root), tag + ".rc"), "w",
                  encoding="utf-8") as f:
            f.write(source)

    def problems(self, program):
        return catalogue.check_program(self.root, PROGRAMS[program], partial=True)

    def close(self):
        shutil.rmtree(self.root)


class CatalogueTest(unittest.TestCase):
    def setUp(self):
        self.tree = Tree()
        self.addCleanup(self.tree.close)

    def assertProblem(self, program, *fragments):
        problems = self.tree.problems(program)
        for p in problems:
            if all(f in p for f in fragments):
                return
        self.fail(f"no problem with {fragments} among {problems}")

    def test_the_english_files_of_this_tree_pass(self):
        for program in PROGRAMS:
            self.assertEqual(self.tree.problems(program), [], program)

    def test_an_unchanged_copy_under_its_own_language_passes(self):
        self.tree.translate("applet", "de-DE", "LANG_GERMAN, SUBLANG_GERMAN")
        self.tree.translate("switcher", "de", "LANG_GERMAN, SUBLANG_NEUTRAL")
        self.assertEqual(self.tree.problems("applet"), [])
        self.assertEqual(self.tree.problems("switcher"), [])

    def test_a_missing_and_an_unknown_text(self):
        self.tree.translate("applet", "de-DE", "LANG_GERMAN, SUBLANG_GERMAN",
                            drop=["TXT_TAB_ALARM"])
        with open(os.path.join(self.tree.root, "applet/res/lang/de-DE.rc"), "a",
                  encoding="utf-8") as f:
            f.write('#define TXT_TAB_ALRAM "Alarm"\n')
        self.assertProblem("applet", "de-DE.rc: TXT_TAB_ALARM: missing")
        self.assertProblem("applet", "de-DE.rc: TXT_TAB_ALRAM: not a text of English")

    def test_swapped_conversions(self):
        self.tree.translate("tray", "fr-FR", "LANG_FRENCH, SUBLANG_FRENCH",
                            {"TXT_TIP_MODE": "%s (mode %d), batterie : %s %%"})
        self.assertProblem("tray", "fr-FR.rc: TXT_TIP_MODE: printf conversions %s %d %s where "
                                   "English has %s %s %d")

    def test_a_lone_percent_sign_counts_as_a_conversion(self):
        self.tree.translate("applet", "fr-FR", "LANG_FRENCH, SUBLANG_FRENCH",
                            {"TXT_GAUGE_FORMAT": "Capacité : %d %"})
        self.assertProblem("applet", "TXT_GAUGE_FORMAT: printf conversions %d %?")

    def test_percent_signs_in_texts_that_are_no_formats_are_free(self):
        self.tree.translate("applet", "de-DE", "LANG_GERMAN, SUBLANG_GERMAN",
                            {"TXT_HELP_COLUMN1": "Bei 76 bis 100 % der Ladung."})
        self.assertEqual(self.tree.problems("applet"), [])

    def test_duplicate_and_missing_accelerators(self):
        self.tree.translate("applet", "de-DE", "LANG_GERMAN, SUBLANG_GERMAN", {
            "TXT_ACTION_SOUND": "&Signalton",
            "TXT_ACTION_MESSAGE": "Meldung &senden",
            "TXT_ACTION_ENABLE": "Wenn der Alarm ausgelöst wird:",
        })
        self.assertProblem("applet", "TXT_ACTION_MESSAGE: accelerator 's' is also taken by "
                                     "TXT_ACTION_SOUND in DIALOG IDD_ALARM_ACTION")
        self.assertProblem("applet", "TXT_ACTION_ENABLE: needs one '&'")

    def test_the_same_key_in_two_dialogs_is_fine(self):
        self.tree.translate("applet", "de-DE", "LANG_GERMAN, SUBLANG_GERMAN", {
            "TXT_ACTION_SOUND": "&Signalton",
            "TXT_ADV_TRAY_ICON": "&Symbol immer in der Taskleiste anzeigen",
        })
        self.assertEqual(self.tree.problems("applet"), [])

    def test_a_page_and_its_dialogs_buttons_share_the_keys(self):
        self.tree.translate("applet", "de-DE", "LANG_GERMAN, SUBLANG_GERMAN", {
            "TXT_APPLY": "Ü&bernehmen",
            "TXT_MODES_BATTERY_GROUP": "Energiesparmodi im &Batteriebetrieb",
        })
        self.assertProblem("applet", "TXT_MODES_BATTERY_GROUP: accelerator 'B' is also taken "
                                     "by TXT_APPLY of IDD_PMDLG, on screen with IDD_MODES_PAGE")
        # The properties dialog has no Apply button: its General page's &Browse keeps B.
        self.assertEqual(len(self.tree.problems("applet")), 1)

    def test_characters_outside_the_code_page(self):
        self.tree.translate("applet", "ru-RU", "LANG_RUSSIAN, SUBLANG_DEFAULT",
                            {"TXT_TAB_ALARM": "Сигнал тревоги – café"})
        self.assertProblem("applet", "ru-RU.rc: TXT_TAB_ALARM: 'é' (U+00E9) cannot be written "
                                     "in code page 1251")
        self.tree.translate("tray", "pl-PL", "LANG_POLISH, SUBLANG_DEFAULT",
                            {"TXT_LEARNING_YES": "Tak ✓"})
        self.assertProblem("tray", "pl-PL.rc: TXT_LEARNING_YES: '✓'", "code page 1250")

    def test_double_byte_names_count_bytes(self):
        fifteen = "長時間駆動モード長時間駆動モード"[:15]
        self.tree.translate("installer", "ja-JP", "LANG_JAPANESE, SUBLANG_DEFAULT",
                            {"TXT_NAME_LONG_LIFE": fifteen, "TXT_NAME_NORMAL": fifteen + "X"})
        problems = self.tree.problems("installer")
        self.assertEqual(len(problems), 1, problems)
        self.assertIn("ja-JP.rc: TXT_NAME_NORMAL: a mode name takes 31 bytes in code page 932, "
                      "at most 30", problems[0])

    def test_the_applet_item_and_the_tray_tip_limits(self):
        self.tree.translate("applet", "zh-CN", "LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED",
                            {"TXT_APPLET_ITEM": "电源管理" * 4 + "\n配置电源管理实用程序设置。\n"})
        self.assertProblem("applet", "TXT_APPLET_ITEM: the item's name takes 32 bytes in code "
                                     "page 936, at most 31")
        self.tree.translate("tray", "de-DE", "LANG_GERMAN, SUBLANG_GERMAN", {
            "TXT_ON_BATTERY_POWER": "Batteriebetrieb",
            "TXT_TIP_MODE": "%s (Energiesparmodus %s), Restkapazität: %d %%",
        })
        self.assertProblem("tray", "TXT_TIP_MODE: with \"Batteriebetrieb\", no mode name and "
                                   "100 the tip takes 57 bytes, at most 50")

    def test_list_separators(self):
        self.tree.translate("applet", "it-IT", "LANG_ITALIAN, SUBLANG_ITALIAN", {
            "TXT_CPU_LIST": "Massima,Media 1,Media 2",
            "TXT_NO_ACTION": "Nessuna azione",
            "TXT_APPLET_ITEM": "Risparmio energia\nConfigura le impostazioni.",
        })
        self.assertProblem("applet", "TXT_CPU_LIST: 2 ',' separators where English has 3")
        self.assertProblem("applet", "TXT_NO_ACTION: 0 ',' separators where English has 1")
        self.assertProblem("applet", "TXT_APPLET_ITEM: 1 \\n separators where English has 2")

    def test_the_switcher_lists(self):
        self.tree.translate("switcher", "fr", "LANG_FRENCH, SUBLANG_NEUTRAL", {
            "TXT_POWER_ACTIONS": "Veille;Redémarrer,Arrêter",
            "TXT_BATTERY_TEXTS": "\t\t" + "\t".join(["a", "b", "c", "d", "e", "%dh %dmin"]),
            "TXT_SWITCHER_INFO": "Sélecteur;imgs/main/fond.png;Pivora.mht",
        })
        self.assertProblem("switcher", "TXT_POWER_ACTIONS: 1 ';' separators where English has 2")
        self.assertProblem("switcher", "TXT_BATTERY_TEXTS: the first two tab-separated texts "
                                       "must be single blanks")
        self.assertProblem("switcher", "TXT_SWITCHER_INFO: the file names")

    def test_the_language_line_and_the_file_name(self):
        self.tree.translate("applet", "pt-PT", "LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN")
        self.assertProblem("applet", "pt-PT.rc: LANGUAGE LANG_PORTUGUESE, "
                                     "SUBLANG_PORTUGUESE_BRAZILIAN is 1046, but pt-PT is 2070")
        self.tree.translate("applet", "pt-BR", "LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN")
        self.assertProblem("applet", "pt-BR is not a language of the applet")

    def test_wide_literals_are_refused(self):
        self.tree.translate("tray", "de-DE", "LANG_GERMAN, SUBLANG_GERMAN")
        path = os.path.join(self.tree.root, "tray/lang/de-DE.rc")
        with open(path, encoding="utf-8") as f:
            source = f.read().replace('#define TXT_LEARNING_YES "Yes"',
                                      '#define TXT_LEARNING_YES L"Ja"')
        with open(path, "w", encoding="utf-8") as f:
            f.write(source)
        self.assertProblem("tray", "TXT_LEARNING_YES: L\"...\" texts are not read as UTF-8")

    def test_every_listed_language_is_required(self):
        problems = catalogue.check_program(self.tree.root, PROGRAMS["switcher"])
        self.assertIn("no (20) is a language of the switcher", "\n".join(problems))
        self.assertEqual(len(problems), 10)


class FormatRulesTest(unittest.TestCase):
    def test_conversions(self):
        self.assertEqual(catalogue.conversions("%s ( %s Mode ), %d %%"), ["s", "s", "d"])
        self.assertEqual(catalogue.conversions("%-5ld%%%x"), ["ld", "x"])
        self.assertEqual(catalogue.conversions("100 %!"), ["?"])
        # printf reads "% s" as a conversion with the blank flag.
        self.assertEqual(catalogue.conversions("100 % sure"), ["s"])

    def test_accelerators(self):
        self.assertEqual(catalogue.accelerators("R&&D &Save"), ["S"])
        self.assertEqual(catalogue.accelerators("適用(&A)"), ["A"])

    def test_literals(self):
        self.assertEqual(catalogue.decode_literals(r'"a\tb" "c""d\n"', "x"), 'a\tbc"d\n')


def resource_directory(leaves):
    """A minimal PE image whose resource directory holds the given (type, name, lang) leaves."""
    tree = {}
    for t, n, lang in leaves:
        tree.setdefault(t, {}).setdefault(n, []).append(lang)
    body = bytearray()

    def directory(entries):
        return struct.pack("<IIHHHH", 0, 0, 0, 0, 0, len(entries))

    # Layout: root, then one directory per type, per name; leaves point to one data entry.
    data_entry_at = None
    blobs = []

    def build(level_items, depth):
        start = len(body)
        body.extend(directory(level_items))
        slots = []
        for key, _ in level_items:
            slots.append(len(body))
            body.extend(struct.pack("<II", key, 0))
        for (key, child), slot in zip(level_items, slots):
            if depth < 2:
                items = sorted(child.items()) if isinstance(child, dict) else [
                    (lang, None) for lang in child]
                offset = build(items, depth + 1)
                struct.pack_into("<II", body, slot, key, 0x80000000 | offset)
            else:
                blobs.append(slot)
        return start

    build(sorted(tree.items()), 0)
    data_entry_at = len(body)
    body.extend(struct.pack("<IIII", 0, 0, 0, 0))
    for slot in blobs:
        key = struct.unpack_from("<I", body, slot)[0]
        struct.pack_into("<II", body, slot, key, data_entry_at)

    rsrc_rva, file_align = 0x1000, 0x200
    pe = 0x40
    header = bytearray(file_align)
    header[0:2] = b"MZ"
    struct.pack_into("<I", header, 0x3C, pe)
    header[pe:pe + 4] = b"PE\0\0"
    optional_size = 224
    struct.pack_into("<HH", header, pe + 4, 0x14C, 1)
    struct.pack_into("<H", header, pe + 20, optional_size)
    opt = pe + 24
    struct.pack_into("<H", header, opt, 0x10B)
    struct.pack_into("<I", header, opt + 92, 16)
    struct.pack_into("<II", header, opt + 96 + 2 * 8, rsrc_rva, len(body))
    section = opt + optional_size
    header[section:section + 8] = b".rsrc\0\0\0"
    struct.pack_into("<IIII", header, section + 8, len(body), rsrc_rva, len(body), file_align)
    return bytes(header) + bytes(body)


class ResourceCheckTest(unittest.TestCase):
    def check(self, program, leaves):
        with tempfile.NamedTemporaryFile(suffix=".bin", delete=False) as f:
            f.write(resource_directory(leaves))
        self.addCleanup(os.unlink, f.name)
        self.assertEqual(sorted(resources.read_leaves(f.name)), sorted(leaves))
        return resources.check_binary(f.name, PROGRAMS[program])

    def switcher(self, extra=(), without=()):
        langs = [7, 10, 12, 16, 20, 29, 1030, 1033, 1034, 1035, 2057]
        leaves = [(6, 64, lang) for lang in langs if lang not in without]
        leaves += [(5, 110, 0), (14, 1, 0), (3, 1, 0), (16, 1, 0)]
        return leaves + list(extra)

    def test_a_complete_program_passes(self):
        self.assertEqual(self.check("switcher", self.switcher()), [])

    def test_a_missing_and_an_unlisted_language(self):
        problems = self.check("switcher", self.switcher(extra=[(6, 64, 1031)], without=[20]))
        self.assertEqual(len(problems), 2, problems)
        self.assertIn("STRINGTABLE block 64 (strings 1008-1023): missing in 20", problems[0])
        self.assertIn("also in 1031, which is not a language of the switcher", problems[1])

    def test_a_duplicate_leaf(self):
        problems = self.check("switcher", self.switcher(extra=[(6, 64, 1033)]))
        self.assertEqual(len(problems), 1, problems)
        self.assertIn("STRINGTABLE block 64 (strings 1008-1023): two leaves in 1033 (the link "
                      "merged the same resource twice)", problems[0])

    def test_neutral_resources_stay_neutral(self):
        problems = self.check("switcher", self.switcher(extra=[(16, 1, 1033), (5, 111, 1033)]))
        self.assertEqual(len(problems), 2, problems)
        self.assertIn("VERSION 1: in 1033, but it is neutral and exists only in language 0",
                      problems[0] + problems[1])
        self.assertIn("DIALOG 111: in 1033", problems[0] + problems[1])

    def test_texts_are_never_neutral(self):
        problems = self.check("switcher", self.switcher(extra=[(6, 65, 0)]))
        self.assertIn("STRINGTABLE block 65 (strings 1024-1039): neutral", problems[0])


class DpiManifestTest(unittest.TestCase):
    def test_both_settings_in_their_own_namespaces(self):
        with open(os.path.join(ROOT, "switcher", "Pivora.manifest.in"), encoding="utf-8") as f:
            good = f.read()
        self.assertEqual(resources.dpi_manifest_problems(good, "P.exe"), [])
        # The same names in the wrong namespace, or one of them left out, do not count.
        swapped = good.replace("SMI/2005", "SMI/20xx")
        self.assertIn("dpiAware in", resources.dpi_manifest_problems(swapped, "P.exe")[0])
        dropped = re.sub(r"<dpiAwareness.*?</dpiAwareness>", "", good, flags=re.S)
        self.assertEqual(len(resources.dpi_manifest_problems(dropped, "P.exe")), 1)
        self.assertIn("not well-formed", resources.dpi_manifest_problems("<a>", "P.exe")[0])
        # A set-up program may be system aware; a program with our own windows may not.
        system = good.replace("true/pm", "true")
        self.assertEqual(len(resources.dpi_manifest_problems(system, "P.exe")), 1)
        self.assertEqual(resources.dpi_manifest_problems(dropped.replace("true/pm", "true"),
                                                         "S.exe", per_monitor=False), [])


if __name__ == "__main__":
    unittest.main()
