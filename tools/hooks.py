"""Which body each command's check calls (src/debugger/analyses.h). The
commands that have a check are named in the command table (commands.HOOKS);
commands whose checks do the same thing share one body, named here by a
pattern over the command names. Every other check calls the body named
after its command: hook_ and the command's name after "gl" in lower case
with underscores (glNewList: hook_new_list)."""

import re

# Families: a pattern every member's name matches whole, and the body.
FAMILIES = [
    # A vertex counts into the primitive, warns outside glBegin/glEnd and
    # annotates where its data lies.
    (r"glVertex[234][dfis]v", "hook_vertex"),
    # An evaluated vertex counts and annotates.
    (r"glEvalCoord[12][df]v", "hook_eval_coord"),
    # The other per-vertex data annotate where it lies.
    (r"gl(Color[34](b|d|f|i|s|ub|ui|us)|Index(d|f|i|s|ub)|Normal3[bdfis]"
     r"|RasterPos[234][dfis]|TexCoord[1234][dfis])v", "hook_data_address"),
    (r"glRect[dfis]v", "hook_rect"),
    (r"glLight[fi]v", "hook_light"),
    (r"glLightModel[fi]v?", "hook_light_model"),
    (r"glMaterial[fi]v?", "hook_material"),
    (r"glScale[df]", "hook_scale"),
    (r"glLoadMatrix[df]", "hook_load_matrix"),
    # An extension alias checks as its core command.
    (r"glArrayElement(EXT)?", "hook_array_element"),
    (r"glDrawArrays(EXT)?", "hook_draw_arrays"),
]


def own_body(name):
    """hook_ and the command's name in lower case with underscores."""
    words = re.findall(r"[A-Z][a-z0-9]*", name[2:])
    return "hook_" + "_".join(w.lower() for w in words)


def body(name):
    """The body the check of `name` calls."""
    bodies = [b for pattern, b in FAMILIES if re.fullmatch(pattern, name)]
    return bodies[0] if bodies else own_body(name)


def check(names):
    """What is wrong with the families over `names`: a family whose members
    are not as many as FAMILY_SIZES says, a name in two families."""
    bad = []
    for pattern, b in FAMILIES:
        members = [n for n in names if re.fullmatch(pattern, n)]
        if len(members) != FAMILY_SIZES[b]:
            bad.append("the family of %s has %d members, expected %d" % (
                b, len(members), FAMILY_SIZES[b]))
    for n in names:
        matched = [b for pattern, b in FAMILIES if re.fullmatch(pattern, n)]
        if len(matched) > 1:
            bad.append("%s is in the families of %s" % (n, ", ".join(matched)))
    return bad


# The members each family must have, as a check of the patterns.
FAMILY_SIZES = {"hook_vertex": 12, "hook_eval_coord": 4, "hook_data_address": 54, "hook_rect": 4,
                "hook_light": 2, "hook_light_model": 4, "hook_material": 4, "hook_scale": 2,
                "hook_load_matrix": 2, "hook_array_element": 2, "hook_draw_arrays": 2}
