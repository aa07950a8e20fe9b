#!/usr/bin/env python3
"""Runs interlocks-check on the examples with --sarif and --junit and checks both files against
the schemas shipped beside this script: SARIF against the published OASIS SARIF 2.1.0 schema
(errata 01), JUnit XML against the Jenkins JUnit schema (with xmllint); then that every uri is
an RFC 3986 reference, that the counts add up and that there is one test case per requirement.

usage: validate_ci_reports.py CHECK_BINARY EXAMPLES_DIR SCRATCH_DIR
"""
import json
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

import jsonschema


def main():
    binary, examples, scratch = sys.argv[1:4]
    os.makedirs(scratch, exist_ok=True)
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "schemas", "sarif-schema-2.1.0.json"), encoding="utf-8") as f:
        schema = json.load(f)
    if "errata01/os" not in schema.get("id", ""):
        sys.exit("the shipped SARIF schema is not the published OASIS one")
    config = os.path.join(examples, "substation.blk")
    # A name that is no URI as it stands: a blank, a percent sign and Cyrillic letters.
    awkward = os.path.join(scratch, "dir with space", "50% подстанция.blk")
    os.makedirs(os.path.dirname(awkward), exist_ok=True)
    shutil.copyfile(config, awkward)
    uri_chars = re.compile(r"^[A-Za-z0-9\-._~:/?#\[\]@!$&'()*+,;=%]*$")
    runs = [
        ["--analyse", os.path.relpath(awkward)],
        ["--prove", "--analyse", config],
        ["--diff", config, os.path.join(examples, "substation-b.blk")],
        ["--analyse", config, os.path.join(examples, "substation-b.blk")],
    ]
    for i, args in enumerate(runs):
        sarif = os.path.join(scratch, f"out{i}.sarif")
        junit = os.path.join(scratch, f"out{i}.xml")
        done = subprocess.run([binary, "--sarif", sarif, "--junit", junit] + args, capture_output=True)
        if done.returncode not in (0, 1):
            sys.exit(f"{args}: exit {done.returncode}: {done.stderr.decode()}")
        with open(sarif, encoding="utf-8") as f:
            log = json.load(f)
        jsonschema.validate(log, schema)
        results = log["runs"][0]["results"]
        for r in results:
            location = r["locations"][0]["physicalLocation"]
            uri = location["artifactLocation"]["uri"]
            if not uri.endswith(".blk"):
                sys.exit(f"{args}: a result not on a configuration file: {r}")
            if not uri_chars.match(uri) or re.search(r"%(?![0-9A-F]{2})", uri):
                sys.exit(f"{args}: not a URI reference: {uri}")
        valid = subprocess.run(["xmllint", "--noout", "--schema", os.path.join(here, "schemas", "junit-jenkins.xsd"),
                                junit], capture_output=True)
        if valid.returncode != 0:
            sys.exit(f"{args}: JUnit XML does not validate: {valid.stderr.decode()}")
        root = ET.parse(junit).getroot()
        if root.tag != "testsuites":
            sys.exit(f"{args}: root {root.tag}")
        total = sum(int(s.get("tests")) for s in root.findall("testsuite"))
        cases = root.findall("testsuite/testcase")
        failures = len(root.findall("testsuite/testcase/failure"))
        if total != len(cases) or int(root.get("tests")) != total or int(root.get("failures")) != failures:
            sys.exit(f"{args}: JUnit counts do not add up")
        if i == 1:
            rules = {r["ruleId"] for r in results}
            if "requirement_refuted" not in rules or "state_not_read" not in rules:
                sys.exit(f"unexpected rules {rules}")
            requirements = [c for c in cases if c.get("classname") == "requirements"]
            if len(requirements) != 9 or len([c for c in requirements if c.find("failure") is not None]) != 1:
                sys.exit("one test case per requirement, one of them failed")
    print(f"SARIF and JUnit reports: {len(runs)} passed, 0 failed")


if __name__ == "__main__":
    main()
