# The Wine prefix that the Wine-based suites of one `make test` share.
#
# `wine-template` makes it afresh (wineboot -i, about 5 s) once per make run;
# each suite then copies it into its own workspace (scripts/wine-env) and
# runs its own wineserver there.  Suites list `wine-template` among their
# prerequisites.

WINE_TEMPLATE := $(CURDIR)/build/wine-template
export DRELBIN_WINE_TEMPLATE := $(WINE_TEMPLATE)

.PHONY: wine-template
wine-template: deps
	@rm -rf $(WINE_TEMPLATE)
	@bash -c 'source scripts/wine-env && wine_template_make "$(WINE_TEMPLATE)"'
