#!/usr/bin/env bash
# Compares the regular expression with node's RegExp (no "u" flag) on random patterns and names,
# as a global replace does, with and without case: prints each case that differs and the count.
# Needs node and a built build/default (the engine library); neither build nor CI runs it.
#
#   bash scripts/regex-vs-node.sh [CASES=100000] [SEED=1]
set -euo pipefail
cd "$(dirname "$0")/.."
cases=${1:-100000}
seed=${2:-1}
work=build/default/regex-vs-node
mkdir -p "$work"

cat >"$work/driver.cpp" <<'CPP'
// One "flags<TAB>pattern<TAB>name" a line: the name after a global replace by "[$&|$1]".
#include <iostream>
#include <string>

#include "naming/NameRules.hpp"

int main() {
    std::string line;
    while (std::getline(std::cin, line)) {
        const auto tab1 = line.find('\t');
        const auto tab2 = line.find('\t', tab1 + 1);
        velmora::NameRules rules;
        rules.find = line.substr(tab1 + 1, tab2 - tab1 - 1);
        rules.replace = "[$&|$1]";
        rules.regex = true;
        rules.matchCase = line[0] != 'i';
        velmora::CompiledRules compiled;
        velmora::RegexError error{};
        std::string out = "refused";
        if (velmora::CompiledRules::Compile(rules, velmora::SystemCaseMapping(), nullptr, &compiled, &error))
            compiled.Apply(line.substr(tab2 + 1), &out);
        std::cout << out << '\n';
    }
}
CPP
"${CXX:-g++}" -std=c++17 -O2 -Isrc "$work/driver.cpp" build/default/libvelmora_engine.a -o "$work/driver"

node - "$cases" "$seed" "$work" <<'JS'
const fs = require('fs');
const [cases, seedText, work] = process.argv.slice(2);
let seed = Number(seedText) >>> 0;
function pick(n) {  // mulberry32
    seed = (seed + 0x6d2b79f5) >>> 0;
    let t = seed;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) % n;
}
// Letters whose case ECMAScript treats unlike a plain lower/upper pairing, ASCII around them.
const letters = [...'abksKS_1-ſσςΣµμΜǄǅǆßẞθϴϑΘωΩÅåıIiİÿŸᾀᾈẛṡṠёЁяЯᎠꭰϐβΒᾳᾼ\u212A\u2126\u212B'];
const letter = () => letters[pick(letters.length)];
function cls() {
    let s = '[' + (pick(3) == 0 ? '^' : '');
    for (let n = 1 + pick(3); n > 0; --n) {
        const r = pick(6);
        if (r == 0) s += '\\w';
        else if (r == 1) s += '\\W';
        else if (r == 2) { let a = letter(), b = letter(); if (a > b) [a, b] = [b, a]; s += a + '-' + b; }
        else s += letter();
    }
    return s + ']';
}
const quantifiers = ['', '', '', '*', '+', '?', '{1,2}', '*?', '+?', '{0,2}', '{2}'];
function atom(d) {
    const r = pick(12);
    if (r < 5) return letter();
    if (r < 8) return cls();
    if (r < 9) return ['.', '^', '$', '\\b', '\\B'][pick(5)];
    return d < 2 ? '(' + (pick(2) ? '?:' : '') + alt(d + 1) + ')' : letter();
}
function term(d) {
    const a = atom(d);
    return /^(\^|\$|\\[bB])$/.test(a) ? a : a + quantifiers[pick(quantifiers.length)];
}
function seq(d) { let s = ''; for (let n = 1 + pick(3); n > 0; --n) s += term(d); return s; }
function alt(d) { return pick(4) == 0 ? seq(d) + '|' + seq(d) : seq(d); }
const lines = [], expected = [];
while (lines.length < Number(cases)) {
    const pattern = alt(0), ignoreCase = pick(4) != 0;
    let name = '';
    for (let n = pick(8); n > 0; --n) name += letter();
    let re;
    try { re = new RegExp(pattern, 'g' + (ignoreCase ? 'i' : '')); } catch (e) { continue; }
    lines.push((ignoreCase ? 'i' : '-') + '\t' + pattern + '\t' + name);
    expected.push(name.replace(re, '[$&|$1]'));
}
fs.writeFileSync(work + '/cases.txt', lines.join('\n') + '\n');
fs.writeFileSync(work + '/expected.txt', expected.join('\n') + '\n');
JS

"$work/driver" <"$work/cases.txt" >"$work/got.txt"
paste "$work/cases.txt" "$work/expected.txt" "$work/got.txt" |
    awk -F'\t' '$4 != $5 { print "differs: " $0; ++n } END { print (n + 0) " of " NR " cases differ"; exit n > 0 }'
