# The two user commands: `make demo` and `make test`.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
# The fuzz targets want clang (libFuzzer); `make test` runs each briefly where one is installed.
CLANGXX    ?= $(shell command -v clang++-14 || command -v clang++)
CLANG      ?= $(shell command -v clang-14 || command -v clang)
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
# The main tree is built as Release (libraries without debug info); make test-asan builds Debug.
BUILD_TYPE ?= Release
# More arguments for ctest, as in make test CTEST_ARGS='-R Cups'.
CTEST_ARGS ?=
# Rows of the demo sales database (make demo SALES_ROWS=1000000 for the benchmark size).
SALES_ROWS ?= 100000

.PHONY: demo test test-asan fuzz-smoke deps build build-asan bench clean

demo: build
	./$(BUILD)/tools/qor --version
	./$(BUILD)/examples/sample_document $(BUILD)/demo
	./$(BUILD)/tools/qor render $(BUILD)/demo/sample.qor --png $(BUILD)/demo/pages
	rm -f $(BUILD)/demo/sales.db
	sqlite3 -cmd "CREATE TEMP TABLE sales_rows AS SELECT $(SALES_ROWS) AS n" $(BUILD)/demo/sales.db < examples/sales/sales.sql
	@echo "Sales database: $(BUILD)/demo/sales.db ($$(sqlite3 $(BUILD)/demo/sales.db 'SELECT count(*) FROM sales') rows)"
	cp examples/sales/sales.qfm $(BUILD)/demo/sales.qfm
	./$(BUILD)/tools/qor run $(BUILD)/demo/sales.qfm --to $(BUILD)/demo/sales.qor
	./$(BUILD)/tools/qor run $(BUILD)/demo/sales.qfm --to $(BUILD)/demo/sales.pdf
	./$(BUILD)/tools/qor render $(BUILD)/demo/sales.qor --png $(BUILD)/demo/sales-pages --pages 1-1
	./$(BUILD)/examples/sales_report $(BUILD)/demo/sales.qfm $(BUILD)/demo/sales-page-of.pdf
	rm -f $(BUILD)/demo/shop.db
	sqlite3 $(BUILD)/demo/shop.db < examples/masterdetail/shop.sql
	cp examples/masterdetail/shop.qfm $(BUILD)/demo/shop.qfm
	./$(BUILD)/tools/qor run $(BUILD)/demo/shop.qfm --to $(BUILD)/demo/shop.pdf
	./$(BUILD)/tools/qor run examples/invoice/invoice.qfm --to $(BUILD)/demo/invoice.pdf
	@echo
	@echo "Results in $(BUILD)/demo:"
	@echo "  sample.qor, sample.pdf, pages/     the sample document, its PDF and its pages as PNG"
	@echo "  sales.qor                          the grouped sales report as a page file (qor view / qor dump it)"
	@echo "  sales.pdf                          the same report printed on the PDF printer"
	@echo "  sales-pages/page-0001.png          its first page as a picture"
	@echo "  sales-page-of.pdf                  the report run from C++ (examples/SalesReport.cpp): Page N of M"
	@echo "  shop.pdf                           the master-detail example: customers and their orders"
	@echo "  invoice.pdf                        an invoice with every kind of label (examples/invoice)"
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then echo "Opening the sales report in the viewer (close it to finish)"; ./$(BUILD)/tools/qor run $(BUILD)/demo/sales.qfm --view; fi

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)
	@if [ -n "$(CLANGXX)" ]; then $(MAKE) --no-print-directory fuzz-smoke; else echo "No clang: the fuzz targets are not run"; fi

fuzz-smoke:
	CC=$(CLANG) CXX=$(CLANGXX) cmake -S . -B $(BUILD_FUZZ) -G Ninja -DQOR_FUZZ=ON -DQOR_BUILD_TESTS=OFF -DQOR_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(BUILD_FUZZ) -j $(JOBS)
	cd $(BUILD_FUZZ) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQOR_SANITIZE=ON -DQOR_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# bench_PdfBench compares with the KReport peer at 100,000 and 1,000,000 rows, 3 rounds each; the
# whole run takes about 7 minutes on an 8-core machine, most of it the peer at a million rows.
# install-peer.sh installs the peer's packages first, or says in one line why it cannot.
bench: build
	bash bench/install-peer.sh
	for b in $(BUILD)/bench/bench_*; do $$b; done

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ)
