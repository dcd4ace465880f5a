#!/usr/bin/env python3
"""Writes a large formula catalogue for the benchmarks, deterministically.

  gen_catalogue.py OUTFILE [--functions N] [--categories C]

N functions (default 2,000) spread over C categories (default 20) plus the category that
lists every function; each function has 1 to 8 arguments, except BIGARGS30 with 30.
"""
import argparse
import random
from xml.sax.saxutils import quoteattr

DATATYPES = ["Boolean", "Integer", "Long", "Single", "Date", "Object", "String", "Range"]
# Characters of Chinese titles and keywords, polyphones among them, for the search index.
HAN = ("文本长度重复数值求和平均最大小计算日期时间行列单元格调整差额率利息税金"
       "合并查找替换截取字符转换大写金额四舍五入向上下取整余弦正切对数指数乘积"
       "统计个条件判断逻辑与或非年月分秒星期当前今天首尾空格比较相同位置字节")


def phrase(rng, low, high):
    return "".join(rng.choice(HAN) for _ in range(rng.randint(low, high)))


def argument(rng, i):
    return '      <Argument Value=%s Required=%s Datatype=%s Description=%s/>\n' % (
        quoteattr("参数%d" % i), quoteattr("True" if i == 1 or rng.random() < 0.4 else "False"),
        quoteattr(rng.choice(DATATYPES)), quoteattr("第%d个参数的说明，取值见数据类型。" % i))


def formula(rng, words, name, category, args):
    head = '    <Formula Name=%s CategoryName=%s Display="True" Value=%s Title=%s Description=%s MaxArgNum="%d" Keywords=%s>\n' % (
        quoteattr(name), quoteattr(category), quoteattr(name + "(" + ",".join("参数%d" % i for i in range(1, args + 1)) + ")"),
        quoteattr(phrase(words, 2, 6)), quoteattr("返回%s的计算结果；用于报表中的%s项。" % (name, category)), args,
        quoteattr(" ".join(phrase(words, 2, 3) for _ in range(2))))
    return head + "".join(argument(rng, i) for i in range(1, args + 1)) + "    </Formula>\n"


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("outfile")
    p.add_argument("--functions", type=int, default=2000)
    p.add_argument("--categories", type=int, default=20)
    p.add_argument("--seed", type=int, default=20261207)
    a = p.parse_args()
    rng = random.Random(a.seed)
    words = random.Random(a.seed + 1)  # titles and keywords, apart from the arguments' draws
    cats = ["CAT%02d" % i for i in range(1, a.categories + 1)]
    out = ['<?xml version="1.0" encoding="UTF-8"?>\n<Quorvanta>\n  <FormulaCategorys>\n']
    for i, c in enumerate(cats, 1):
        out.append('    <Category Title="分类%02d" Name="%s" Display="True"/>\n' % (i, c))
    out.append('    <Category Title="全部函数" Name="TOTALFUNCTION" Display="True"/>\n')
    out.append('  </FormulaCategorys>\n  <Formulas>\n')
    for i in range(1, a.functions):
        out.append(formula(rng, words, "FUNC%04d" % i, cats[(i - 1) % len(cats)], rng.randint(1, 8)))
    # The widest argument dialog, last in the file so every search walks past the rest.
    out.append(formula(rng, words, "BIGARGS30", cats[-1], 30))
    out.append('  </Formulas>\n  <DatatypeDesc>\n')
    for d in DATATYPES:
        out.append('    <Datatype Value="%s" Desc="%s类型的值"/>\n' % (d, d))
    out.append('  </DatatypeDesc>\n</Quorvanta>\n')
    with open(a.outfile, "w", encoding="utf-8", newline="\n") as f:
        f.write("".join(out))


if __name__ == "__main__":
    main()
