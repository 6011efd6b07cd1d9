# drelbin.exe end to end: the real 64-bit build under Wine on its own Xvfb,
# driven with xdotool (tests/shell/win32/e2e.sh).  Screenshots of the dialog
# and of each message go to build/windows-e2e/shots.
#
#   make test-windows-e2e   both builds (sizes and DLL imports printed), then the cases

WINDOWS_E2E_OUT := $(CURDIR)/build/windows-e2e

.PHONY: windows-exe-report test-windows-e2e

windows-exe-report: build-windows-x64 build-windows-x86
	@for arch in x64 x86; do \
	  exe=build/windows-$$arch/shell/win32/drelbin.exe; \
	  objdump=$$([ $$arch = x64 ] && echo x86_64 || echo i686)-w64-mingw32-objdump; \
	  echo "drelbin.exe ($$arch): $$(stat -c %s $$exe) bytes, imports" \
	    $$($$objdump -p $$exe | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' '); \
	  if grep -q -a requestedExecutionLevel $$exe; then \
	    echo "drelbin.exe ($$arch): the manifest must not ask for an execution level" >&2; exit 1; \
	  fi; \
	done

test-windows-e2e: windows-exe-report wine-template
	tests/shell/win32/e2e.sh build/windows-x64/shell/win32/drelbin.exe $(WINDOWS_E2E_OUT) \
	  build/windows-x64/tests/shell/win32/drelbin_without_form.exe

TEST_TARGETS += test-windows-e2e
