#!/usr/bin/env python3
"""Draws the ratio of our time to the floor's against the rows, one line per
case and engine, from the table in results.md."""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402


def read_table(path):
    lines = {}
    with open(path, encoding="utf-8") as source:
        for line in source:
            cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
            # Rows of the main table only, whose sixth cell is the ratio.
            if len(cells) < 9 or not cells[2].isdigit():
                continue
            key = f"{cells[0]} ({cells[1]})"
            lines.setdefault(key, []).append((int(cells[2]), float(cells[5])))
    return lines


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: plot_ratios.py results.md ratios.png")
    lines = read_table(sys.argv[1])
    if not lines:
        sys.exit(f"no table rows in {sys.argv[1]}")
    figure, axes = plt.subplots(figsize=(9, 5.5))
    # One colour per case, solid on SQLite and dashed on PostgreSQL.
    cases = sorted({key.rsplit(" (", 1)[0] for key in lines})
    colours = plt.get_cmap("tab10")
    for key, points in sorted(lines.items()):
        case, engine = key.rsplit(" (", 1)
        points.sort()
        axes.plot([p[0] for p in points], [p[1] for p in points], marker="o", label=key,
                  color=colours(cases.index(case) % 10),
                  linestyle="--" if engine.startswith("PostgreSQL") else "-")
    axes.axhline(1.2, color="grey", linestyle="-", linewidth=1, label="SQLite target (1.2×)")
    axes.axhline(1.3, color="grey", linestyle="--", linewidth=1, label="PostgreSQL target (1.3×)")
    axes.set_xscale("log")
    axes.set_yscale("log")
    axes.set_xlabel("companies in the database")
    axes.set_ylabel("our time / floor time")
    axes.set_title("Company lists and entry points against the raw database")
    axes.grid(True, which="both", alpha=0.3)
    axes.legend(fontsize=7, loc="upper left", bbox_to_anchor=(1.01, 1))
    figure.tight_layout()
    figure.savefig(sys.argv[2], dpi=110)


if __name__ == "__main__":
    main()
