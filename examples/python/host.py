#!/usr/bin/env python3
"""A small host of NemroFormulaSet written in Python, through the C interface and ctypes.

    python3 host.py [--library PATH] [--dialog [FORMULA]]

Without --dialog it evaluates, prints and checks formulas and uses the formula stack and
a named argument list; with --dialog it opens the formula dialogs and prints the result.
"""
import argparse
import ctypes
import ctypes.util
import sys


class Error(ctypes.Structure):
    _fields_ = [("number", ctypes.c_int32), ("source", ctypes.c_void_p),
                ("description", ctypes.c_void_p), ("position", ctypes.c_int32),
                ("length", ctypes.c_int32)]


class NemroFailure(Exception):
    def __init__(self, number, source, description):
        super().__init__(f"{number}: {description} ({source})")
        self.number, self.source, self.description = number, source, description


NAME_CALLBACK = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_void_p)


class Value(ctypes.Structure):
    _fields_ = [("kind", ctypes.c_int32), ("text", ctypes.c_char_p)]


FUNCTION_CALLBACK = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.POINTER(Value), ctypes.c_int32,
                                     ctypes.c_void_p)
NUMBER, STRING = 14, 8


class Nemro:
    """Thin wrappers that turn the C interface's strings and errors into Python ones."""

    def __init__(self, path):
        lib = ctypes.CDLL(path)
        self.lib = lib
        out = ctypes.POINTER(ctypes.c_void_p)
        err = ctypes.POINTER(Error)
        sigs = {
            "nemro_version": ([], ctypes.c_char_p),
            "nemro_free": ([ctypes.c_void_p], None),
            "nemro_error_clear": ([err], None),
            "nemro_answer_set": ([ctypes.c_void_p, ctypes.c_char_p], None),
            "nemro_formula_set_new": ([], ctypes.c_void_p),
            "nemro_formula_set_free": ([ctypes.c_void_p], None),
            "nemro_formula_set_set_formula": ([ctypes.c_void_p, ctypes.c_char_p, out, err], ctypes.c_int32),
            "nemro_formula_set_is_cancel": ([ctypes.c_void_p], ctypes.c_int),
            "nemro_formula_set_set_dialog_style": ([ctypes.c_void_p, ctypes.c_int, err], ctypes.c_int32),
            "nemro_formula_set_set_fields_csv": ([ctypes.c_void_p, ctypes.c_char_p, err], ctypes.c_int32),
            "nemro_formula_set_add_field":
                ([ctypes.c_void_p] + [ctypes.c_char_p] * 5 + [err], ctypes.c_int32),
            "nemro_formula_set_field_count": ([ctypes.c_void_p], ctypes.c_int32),
            "nemro_stack_new": ([], ctypes.c_void_p),
            "nemro_stack_free": ([ctypes.c_void_p], None),
            "nemro_stack_count": ([ctypes.c_void_p], ctypes.c_int16),
            "nemro_stack_push": ([ctypes.c_void_p, ctypes.c_char_p, err], ctypes.c_int32),
            "nemro_stack_pop": ([ctypes.c_void_p, out, err], ctypes.c_int32),
            "nemro_argument_set_new": ([], ctypes.c_void_p),
            "nemro_argument_set_free": ([ctypes.c_void_p], None),
            "nemro_argument_set_get_value_by_name":
                ([ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p, out, err], ctypes.c_int32),
            "nemro_expression_new": ([], ctypes.c_void_p),
            "nemro_expression_free": ([ctypes.c_void_p], None),
            "nemro_expression_set_variable_callback":
                ([ctypes.c_void_p, NAME_CALLBACK, ctypes.c_void_p, err], ctypes.c_int32),
            "nemro_expression_evaluate":
                ([ctypes.c_void_p, ctypes.c_char_p, out, ctypes.POINTER(ctypes.c_int32), err],
                 ctypes.c_int32),
            "nemro_expression_print":
                ([ctypes.c_void_p, ctypes.c_char_p, out, ctypes.POINTER(ctypes.c_int32), err],
                 ctypes.c_int32),
            "nemro_prepared_new": ([ctypes.c_char_p, out, err], ctypes.c_int32),
            "nemro_prepared_free": ([ctypes.c_void_p], None),
            "nemro_prepared_variable_count": ([ctypes.c_void_p], ctypes.c_int32),
            "nemro_prepared_variable": ([ctypes.c_void_p, ctypes.c_int32], ctypes.c_char_p),
            "nemro_prepared_evaluate":
                ([ctypes.c_void_p, ctypes.POINTER(ctypes.c_char_p), ctypes.c_int32, out,
                  ctypes.POINTER(ctypes.c_int32), err], ctypes.c_int32),
            "nemro_result_set": ([ctypes.c_void_p, ctypes.c_int32, ctypes.c_char_p], None),
            "nemro_result_fail": ([ctypes.c_void_p, ctypes.c_int32, ctypes.c_char_p], None),
            "nemro_expression_set_library": ([ctypes.c_void_p, ctypes.c_int, ctypes.c_void_p], ctypes.c_int32),
            "nemro_expression_set_now": ([ctypes.c_void_p, ctypes.c_char_p, err], ctypes.c_int32),
            "nemro_expression_register_function":
                ([ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int32, ctypes.c_int32, ctypes.c_int32,
                  FUNCTION_CALLBACK, ctypes.c_void_p, err], ctypes.c_int32),
            "nemro_check_formula":
                ([ctypes.c_char_p, ctypes.c_char_p, ctypes.POINTER(ctypes.c_int), out, out,
                  ctypes.POINTER(ctypes.c_int32), err], ctypes.c_int32),
        }
        for name, (args, result) in sigs.items():
            fn = getattr(lib, name)
            fn.argtypes, fn.restype = args, result

    def _take(self, pointer):
        """The text behind a string the library handed out, which is then freed."""
        if not pointer.value:
            return ""
        text = ctypes.string_at(pointer.value).decode("utf-8", "replace")
        self.lib.nemro_free(pointer)
        return text

    def _call(self, fn, *args):
        error = Error()
        status = fn(*args, ctypes.byref(error))
        if status != 0:
            failure = NemroFailure(error.number,
                                   ctypes.string_at(error.source).decode("utf-8", "replace"),
                                   ctypes.string_at(error.description).decode("utf-8", "replace"))
            self.lib.nemro_error_clear(ctypes.byref(error))
            raise failure

    def version(self):
        return self.lib.nemro_version().decode()

    def evaluate(self, formula, variables=None):
        expression = self.lib.nemro_expression_new()
        try:
            def answer(_context, name, reply):
                value = (variables or {}).get(name.decode("utf-8"))
                if value is not None:
                    self.lib.nemro_answer_set(reply, value.encode("utf-8"))
            callback = NAME_CALLBACK(answer)  # kept alive for the call
            self._call(self.lib.nemro_expression_set_variable_callback, expression, callback, None)
            text, kind = ctypes.c_void_p(), ctypes.c_int32()
            self._call(self.lib.nemro_expression_evaluate, expression, formula.encode("utf-8"),
                       ctypes.byref(text), ctypes.byref(kind))
            return self._take(text), kind.value
        finally:
            self.lib.nemro_expression_free(expression)

    def evaluate_column(self, formula, columns):
        """The formula once per row: columns maps each variable to its column of values
        (as a variable callback answers them); a column of results comes back, a failed
        row holding its NemroFailure. The formula is converted once."""
        prepared = ctypes.c_void_p()
        self._call(self.lib.nemro_prepared_new, formula.encode("utf-8"), ctypes.byref(prepared))
        try:
            count = self.lib.nemro_prepared_variable_count(prepared)
            names = [self.lib.nemro_prepared_variable(prepared, i).decode("utf-8") for i in range(count)]
            rows = len(next(iter(columns.values()), []))
            results = []
            for r in range(rows):
                row = (ctypes.c_char_p * max(count, 1))(
                    *[str(columns.get(n, [""] * rows)[r]).encode("utf-8") for n in names])
                text, kind = ctypes.c_void_p(), ctypes.c_int32()
                try:
                    self._call(self.lib.nemro_prepared_evaluate, prepared, row, count,
                               ctypes.byref(text), ctypes.byref(kind))
                    results.append(self._take(text))
                except NemroFailure as failure:
                    results.append(failure)
            return results
        finally:
            self.lib.nemro_prepared_free(prepared)

    def evaluate_with(self, formula, functions, now=None):
        """The formula with the library on, the clock at now ("YYYY-MM-DD[ HH:MM[:SS]]")
        and functions {name: (min_args, max_args, fn)} registered, each fn taking the
        arguments as Python numbers and strings and returning a number or a string, or
        raising NemroFailure."""
        expression = self.lib.nemro_expression_new()
        kept = []  # the callbacks stay alive while the expression may call them
        try:
            self.lib.nemro_expression_set_library(expression, 1, None)
            if now:
                self._call(self.lib.nemro_expression_set_now, expression, now.encode("utf-8"))
            for name, (least, most, fn) in functions.items():
                def work(_context, values, count, result, fn=fn):
                    args = [values[i].text.decode("utf-8") for i in range(count)]
                    args = [float(a) if values[i].kind == NUMBER else a for i, a in enumerate(args)]
                    try:
                        value = fn(*args)
                    except NemroFailure as failure:
                        self.lib.nemro_result_fail(result, failure.number,
                                                   failure.description.encode("utf-8"))
                        return
                    kind = STRING if isinstance(value, str) else NUMBER
                    self.lib.nemro_result_set(result, kind, str(value).encode("utf-8"))
                kept.append(FUNCTION_CALLBACK(work))
                self._call(self.lib.nemro_expression_register_function, expression,
                           name.encode("utf-8"), least, most, NUMBER, kept[-1], None)
            text, kind = ctypes.c_void_p(), ctypes.c_int32()
            self._call(self.lib.nemro_expression_evaluate, expression, formula.encode("utf-8"),
                       ctypes.byref(text), ctypes.byref(kind))
            return self._take(text)
        finally:
            self.lib.nemro_expression_free(expression)

    def print_formula(self, formula):
        expression = self.lib.nemro_expression_new()
        try:
            text, value_type = ctypes.c_void_p(), ctypes.c_int32()
            self._call(self.lib.nemro_expression_print, expression, formula.encode("utf-8"),
                       ctypes.byref(text), ctypes.byref(value_type))
            return self._take(text), value_type.value
        finally:
            self.lib.nemro_expression_free(expression)

    def check(self, formula, catalogue=None):
        passed, icon = ctypes.c_int(), ctypes.c_int32()
        message, title = ctypes.c_void_p(), ctypes.c_void_p()
        self._call(self.lib.nemro_check_formula, formula.encode("utf-8"),
                   catalogue.encode("utf-8") if catalogue else None, ctypes.byref(passed),
                   ctypes.byref(message), ctypes.byref(title), ctypes.byref(icon))
        return bool(passed.value), self._take(message), self._take(title), icon.value

    def stack_round_trip(self, formulas):
        stack = self.lib.nemro_stack_new()
        try:
            for formula in formulas:
                self._call(self.lib.nemro_stack_push, stack, formula.encode("utf-8"))
            count = self.lib.nemro_stack_count(stack)
            popped = []
            for _ in range(count):
                text = ctypes.c_void_p()
                self._call(self.lib.nemro_stack_pop, stack, ctypes.byref(text))
                popped.append(self._take(text))
            return count, popped
        finally:
            self.lib.nemro_stack_free(stack)

    def value_by_name(self, argument_list, name):
        arguments = self.lib.nemro_argument_set_new()
        try:
            value = ctypes.c_void_p()
            self._call(self.lib.nemro_argument_set_get_value_by_name, arguments,
                       argument_list.encode("utf-8"), name.encode("utf-8"), ctypes.byref(value))
            return self._take(value)
        finally:
            self.lib.nemro_argument_set_free(arguments)

    def set_formula(self, former="", fields_csv=None, fields=()):
        """The dialogs; with declared names (CSV text and/or (name, type, group,
        description, sample) tuples) the modern ones, which list and check them."""
        formula_set = self.lib.nemro_formula_set_new()
        try:
            declared = self.declare_fields(formula_set, fields_csv, fields)
            if declared:
                self._call(self.lib.nemro_formula_set_set_dialog_style, formula_set, 1)
            if former is None:
                return declared
            result = ctypes.c_void_p()
            self._call(self.lib.nemro_formula_set_set_formula, formula_set,
                       former.encode("utf-8"), ctypes.byref(result))
            return self._take(result), bool(self.lib.nemro_formula_set_is_cancel(formula_set))
        finally:
            self.lib.nemro_formula_set_free(formula_set)

    def declare_fields(self, formula_set, fields_csv=None, fields=()):
        """Declares the names on the handle; how many it has then."""
        if fields_csv is not None:
            self._call(self.lib.nemro_formula_set_set_fields_csv, formula_set,
                       fields_csv.encode("utf-8"))
        for field in fields:
            encoded = [None if v is None else str(v).encode("utf-8") for v in field]
            self._call(self.lib.nemro_formula_set_add_field, formula_set, *encoded)
        return self.lib.nemro_formula_set_field_count(formula_set)


PAYROLL = "name,type,group,description,sample\n基本工资,number,工资项目,每月的基本工资,8000\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--library", default=ctypes.util.find_library("NemroFormulaSet"),
                        help="path of libNemroFormulaSet.so (default: the system's)")
    parser.add_argument("--dialog", nargs="?", const="", metavar="FORMULA",
                        help="open the formula dialogs, re-editing FORMULA when given")
    parser.add_argument("--fields", metavar="FILE",
                        help="with --dialog, declare the names of this field file (CSV)")
    args = parser.parse_args()
    if not args.library:
        sys.exit("host.py: libNemroFormulaSet not found; give --library PATH")
    nemro = Nemro(args.library)
    print("version:", nemro.version())
    if args.dialog is not None:
        fields_csv = None
        if args.fields:
            with open(args.fields, encoding="utf-8") as f:
                fields_csv = f.read()
        formula, cancelled = nemro.set_formula(args.dialog, fields_csv)
        print(f"formula: {formula}\nisCancel: {str(cancelled).lower()}")
        return
    print("value: %s (kind %d)" % nemro.evaluate('ROUND(A1*2,0)&"元"', {"A1": "2.5"}))
    column = nemro.evaluate_column('ROUND(A1/B1,2)&"元"', {"A1": [10, 7, "x"], "B1": [4, 3, 1]})
    print("column:", ", ".join(c if isinstance(c, str) else "error %d" % c.number for c in column))
    print("printed: %s (type %d)" % nemro.print_formula("round(a1 , 2)"))
    try:
        nemro.evaluate('MOD(1,0)')
    except NemroFailure as failure:
        print(f"error {failure.number}: {failure.description}")
    passed, message, title, icon = nemro.check("ROUND(A1,2")
    print(f"check: {passed} {title} {message} {icon}")
    print("stack: %d %s" % nemro.stack_round_trip(["IF(A1,1,2)", "ROUND(A1,2)"]))
    print("fields:", nemro.set_formula(None, PAYROLL, [("姓名", "text", "人员信息", None, "张三")]))
    print("rate:", nemro.value_by_name("RATE\x0e0.17\x0etax rate\x0f", "rate"))

    def tax(pay):  # a payroll host's own function: 10 % above 5000
        if pay < 0:
            raise NemroFailure(5, "host", "工资不能为负")
        return round(max(pay - 5000, 0) * 0.1, 2)
    payroll = {"TAX": (1, 1, tax)}
    print("tax:", nemro.evaluate_with('ROUNDUP(TAX(8000)+SUM(1,2),0)&"元 "&TEXT(TODAY(),"yyyy-mm-dd")',
                                      payroll, now="2026-12-08"))
    try:
        nemro.evaluate_with("TAX(-1)", payroll)
    except NemroFailure as failure:
        print(f"tax error {failure.number}: {failure.description}")


if __name__ == "__main__":
    main()
