% Reference values for the statistics of the arithmetic module, computed with GNU Octave's
% mean, std(x, 1) (the population's deviation), min and max over the rows of A (Debian:
% octave). Writes statistics_reference.inc. Run in this folder:
%   octave --no-gui --quiet make_statistics_reference.m
% Column 3 holds equal values (deviation 0), column 5 values near 1e8 (rounding).
A = [1.5, -2, 0.1, 7, 1e8 + 1, 3;
     2.5, -4, 0.1, 9, 1e8 + 3, -3;
     4.0, -1, 0.1, 1, 1e8 + 2, 0.5;
     0.0, -8, 0.1, 2, 1e8 + 7, 0.25];
table = {'a1', A(1, :); 'a2', A(2, :); 'a3', A(3, :); 'a4', A(4, :);
         'mean', mean(A); 'sigma', std(A, 1); 'minimum', min(A); 'maximum', max(A)};
fout = fopen('statistics_reference.inc', 'w');
fprintf(fout, '// Written by make_statistics_reference.m (GNU Octave %s); do not edit.\n', version());
for r = 1:rows(table)
  v = table{r, 2};
  fprintf(fout, 'const std::vector<double> k_%s = {', table{r, 1});
  fprintf(fout, '%.17g, ', v(1:end - 1));
  fprintf(fout, '%.17g};\n', v(end));
end
fclose(fout);
