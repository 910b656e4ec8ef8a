#!/usr/bin/env python3
"""Plays a scenario with --report and checks the page as headless Chromium renders it.

    check_report_in_browser.py SIM SCENARIO OUT_DIR
    check_report_in_browser.py SIM --generate AIRCRAFT OUT_DIR --most-rows N

Checks, on the DOM after the page's load event (scripts/render-page): the page loaded with no
console error; one row per aircraft the header counts; a squawk code shown; every picture
embedded as a data: URI and drawn at a size; nothing the page would fetch from elsewhere. With
--generate, a half hour of that many aircraft asking for squawk codes is generated and played,
and the page must show N rows and say its limit.
"""
import argparse
import html.parser
import pathlib
import re
import subprocess
import sys


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.rows, self.pictures, self.external = [], [], []
        self.squawks, self.ids = [], {}
        self._in_squawk, self._in_id = False, None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "tr" and a.get("class") == "aircraft":
            self.rows.append(a.get("data-callsign"))
        if tag == "img":
            self.pictures.append(a.get("src", ""))
        for name in ("src", "href"):
            value = a.get(name, "")
            if value and not value.startswith(("data:", "#")):
                self.external.append(f"{tag} {name}={value[:80]}")
        if tag == "link" or (tag == "script" and "src" in a):
            self.external.append(tag)
        self._in_squawk = tag == "td" and a.get("class") == "squawk"
        self._in_id = a.get("id")
        if self._in_id:
            self.ids[self._in_id] = dict(a)

    def handle_data(self, data):
        if self._in_squawk and data.strip():
            self.squawks.append(data.strip())
        if self._in_id:
            self.ids[self._in_id]["text"] = self.ids[self._in_id].get("text", "") + data


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("sim")
    parser.add_argument("scenario", nargs="?")
    parser.add_argument("--generate", type=int)
    parser.add_argument("out", type=pathlib.Path)
    parser.add_argument("--most-rows", type=int)
    args = parser.parse_args()
    sim, scenario, out, most_rows = args.sim, args.scenario, args.out, args.most_rows
    subprocess.run(["rm", "-rf", str(out)], check=True)
    if args.generate:
        out.mkdir(parents=True)
        scenario = str(out / "generated.json")
        subprocess.run([sim, "generate", scenario, "--aircraft", str(args.generate), "--hours",
                        "0.5", "--seed", "3", "--squawks"], check=True, capture_output=True)
    run = subprocess.run([sim, scenario, "--out", str(out / "run"), "--report"],
                         capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"kestrava-sim exited with {run.returncode}\n{run.stdout}\n{run.stderr}")
    render = pathlib.Path(__file__).resolve().parents[3] / "scripts" / "render-page"
    rendered = subprocess.run([str(render), str(out / "run" / "report.html"), str(out / "page")],
                              capture_output=True, text=True)
    if rendered.returncode != 0:
        sys.exit(f"the page did not render cleanly:\n{rendered.stderr}")

    page = Page()
    page.feed((out / "page" / "dom.html").read_text())
    problems = []
    count = int(page.ids["aircraft-count"]["text"])
    if most_rows is None:
        if len(page.rows) != count or len(set(page.rows)) != count:
            problems.append(f"{len(page.rows)} aircraft rows for {count} aircraft")
    else:
        if len(page.rows) != most_rows or "aircraft-limit" not in page.ids:
            problems.append(f"{len(page.rows)} rows (expected {most_rows} and the limit said)")
    if not any(re.fullmatch(r"[0-7]{4}", s) for s in page.squawks):
        problems.append(f"no squawk code shown (squawk cells: {page.squawks[:5]})")
    status = page.ids.get("pictures-status", {})
    if (not page.pictures and not args.generate) or \
            status.get("data-drawn") != str(len(page.pictures)):
        problems.append(f"pictures: {status.get('text')!r} of {len(page.pictures)} img elements")
    if not all(p.startswith("data:image/png;base64,") for p in page.pictures):
        problems.append("a picture that is not an embedded PNG")
    if page.external:
        problems.append(f"references outside the page: {page.external[:3]}")
    if problems:
        sys.exit("report.html: " + "; ".join(problems))
    print(f"report.html: {len(page.rows)} aircraft rows, {len(page.pictures)} pictures drawn, "
          f"squawks {', '.join(page.squawks[:4])}, no console error")


if __name__ == "__main__":
    main()
